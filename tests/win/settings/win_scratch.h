// win_scratch.h — a private folder under the Windows temporary folder for one test,
// set up as the program's own folder ("<dir>\kelvara.exe"), removed afterwards.
#pragma once
#include <windows.h>
#include <filesystem>
#include <fstream>
#include <string>
#include "app/paths.h"

struct WinScratch {
    std::string dir;

    explicit WinScratch(const char* tag = "kvtest") {
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        static int serial;
        dir = std::string(tmp) + tag + "_" + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(++serial);
        std::filesystem::create_directories(dir);
        path_Build((dir + "\\kelvara.exe").c_str());
    }
    ~WinScratch() {
        path_Build(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string At(const std::string& rel) const { return dir + "\\" + rel; }
    void Write(const std::string& rel, const std::string& bytes = "x") const {
        std::filesystem::create_directories(std::filesystem::path(At(rel)).parent_path());
        std::ofstream(At(rel), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) const {
        std::ifstream in(At(rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};
