// scratch.h — a private temporary folder for one test, seen by the program as its
// own folder ("<dir>\kelvara.exe"), removed again afterwards.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "app/paths.h"

struct Scratch {
    std::string host;  // the folder as the host spells it
    std::string dir;   // the same as the program spells it (backslashes)

    Scratch() {
        char tmpl[] = "/tmp/kvtest.XXXXXX";
        host = mkdtemp(tmpl);
        dir = ToProgram(host);
        path_Build((dir + "\\kelvara.exe").c_str());
    }
    ~Scratch() {
        path_Build(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(host, ec);
    }
    static std::string ToProgram(std::string p) {
        for (char& c : p)
            if (c == '/') c = '\\';
        return p;
    }
    // Host path of a file named relative to the folder ("Images/candle.kv5").
    std::string At(const std::string& rel) const { return host + "/" + rel; }
    void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(At(rel)).parent_path());
        std::ofstream(At(rel), std::ios::binary).write((const char*)bytes.data(), bytes.size());
    }
    std::vector<uint8_t> Read(const std::string& rel) const {
        std::ifstream in(At(rel), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
};
