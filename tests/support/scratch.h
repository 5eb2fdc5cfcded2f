// scratch.h — a private temporary folder for one test, set up as the program's own
// folder ("<dir>\kelvara.exe") and removed again afterwards. `dir` is the folder as
// the program spells it (backslashes), `host` as the host does; At() gives host paths.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif
#include "platform/paths.h"

struct Scratch {
    std::string host, dir;

    explicit Scratch(const char* tag = "kvtest") {
#ifdef _WIN32
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        static int serial;
        host = std::string(tmp) + tag + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
        std::filesystem::create_directories(host);
#else
        std::string tmpl = std::string("/tmp/") + tag + "XXXXXX";  // no dot: extension checks see whole paths
        host = mkdtemp(&tmpl[0]);
#endif
        dir = host;
        for (char& c : dir)
            if (c == '/') c = '\\';
        path_Build((dir + "\\kelvara.exe").c_str());
    }
    ~Scratch() {
        path_Build(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(host, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string At(const std::string& rel) const {
#ifdef _WIN32
        return host + "\\" + rel;
#else
        return host + "/" + rel;
#endif
    }
    void Write(const std::string& rel, const std::vector<uint8_t>& bytes = {'x'}) const {
        std::filesystem::create_directories(std::filesystem::path(At(rel)).parent_path());
        std::ofstream(At(rel), std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
    }
    void Write(const std::string& rel, const char* text) const {
        Write(rel, std::vector<uint8_t>(text, text + std::char_traits<char>::length(text)));
    }
    std::vector<uint8_t> Read(const std::string& rel) const {
        std::ifstream in(At(rel), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    std::string Text(const std::string& rel) const {
        std::vector<uint8_t> b = Read(rel);
        return std::string(b.begin(), b.end());
    }
    // The last two lines of the runtime log here, without their time stamps.
    std::vector<std::string> LogTail() const {
        const std::string t = Text("Kelvara.log");
        std::vector<std::string> lines = {"", ""};
        for (size_t at = 0, end; (end = t.find("\r\n", at)) != std::string::npos; at = end + 2) {
            const size_t cut = t.find(" ms : ", at);
            lines.push_back(cut < end ? t.substr(cut + 6, end - cut - 6) : t.substr(at, end - at));
        }
        return {lines[lines.size() - 2], lines.back()};
    }
};
