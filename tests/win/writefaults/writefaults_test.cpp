// Faults while writing, for every writer of the program (the own image formats, the
// icon, the PNG and JPEG plug-ins, the auto-save point, the settings file): a full
// disk, a read-only folder, a file held open by another process, and the writing
// process killed at a random moment. Afterwards the previous file is whole or the new
// one complete, the user was told, and nothing but those files is left.
//
// Run by writefaults.sh, which mounts a small full-able drive and a read-only one and
// maps them into the Wine prefix (KV_FAULT_FULL, KV_FAULT_RO). The same program is its
// own helper: "--hold" keeps a file open without sharing, "--write-loop" writes one
// writer's file over and over until it is killed, "--prepare" puts the previous files
// on the drive that is made read-only afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>
#include "engine/engine.h"
#include "formats/dispatch.h"
#include "devices/devices_win32.h"
#include "platform/paths.h"
#include "platform/safewrite.h"
#include "safety/autosave_win32.h"
#include "settings/settings.h"
#include "support/scratch.h"
#include "support/test_surface.h"
#include "support/ui_script.h"
#include "support/win_driver_win32.h"

namespace {

namespace fs = std::filesystem;

enum Kind { IMAGE, ICON, SETTINGS, AUTOSAVE };
struct Writer {
    const char* name;  // a row of the table
    Kind kind;
    const char* file;  // in the writer's folder (the auto-save point's is drawn)
};
const Writer WRITERS[] = {
    {"KV5", IMAGE, "pic.kv5"},   {"BMP", IMAGE, "pic.bmp"},       {"TGA", IMAGE, "pic.tga"},
    {"PCX", IMAGE, "pic.pcx"},   {"PPM", IMAGE, "pic.ppm"},       {"icon", ICON, "pic.ico"},
    {"PNG plug-in", IMAGE, "pic.png"}, {"JPEG plug-in", IMAGE, "pic.jpg"},
    {"auto-save point", AUTOSAVE, ""}, {"settings file", SETTINGS, "Kelvara.kvr"},
};
const int WRITER_COUNT = (int)(sizeof WRITERS / sizeof WRITERS[0]);
const uint32_t AUTOSAVE_SEED = 7;

std::string g_home;  // the program's folder for the image writers, with the plug-ins

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Where a writer's file lives in its folder.
std::string Target(const Writer& w, const std::string& folder) {
    if (w.kind != AUTOSAVE) return folder + "\\" + w.file;
    return folder + "\\Autosave\\" + std::to_string(as_RunId()) + ".kvr";
}
// The one other name a killed writer may leave: its temporary file.
std::string TempOf(const Writer& w, const std::string& target) {
    char t[KV_MAX_PATH + 2];
    if (w.kind == AUTOSAVE) return target.substr(0, target.size() - 4) + ".tmp";
    if (std::strcmp(w.name, "PNG plug-in") == 0 || std::strcmp(w.name, "JPEG plug-in") == 0)
        swr_TypedTempName(target.c_str(), t, sizeof t);
    else
        swr_TempName(target.c_str(), t, sizeof t);
    return t;
}

// Writes the writer's file in `folder` from `image`, as the program does. 1 when written.
int Write(const Writer& w, Surface* image, const std::string& folder) {
    const std::string target = Target(w, folder);
    int ok = 0;
    switch (w.kind) {
    case IMAGE: {
        const Kv5SaveOptions plain{};
        return img_SaveFile(image, target.c_str(), &plain) != 0;
    }
    case ICON: return WriteIconFile(image, target.c_str());
    case SETTINGS:  // the program folder is where the settings live
        path_Build((folder + "\\kelvara.exe").c_str());
        srf_Lock(image);
        set_Colour(1, image->pixels[0]);
        srf_Unlock(image);
        ok = SaveSettings();
        break;
    case AUTOSAVE:
        path_Build((folder + "\\kelvara.exe").c_str());
        as_Reset();
        ok = SaveAutosaveNow(image) == 1;
        break;
    }
    path_Build((g_home + "\\kelvara.exe").c_str());
    return ok;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
void Put(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
}
std::vector<uint8_t> Previous(const Writer& w) {
    std::string t = std::string("the previous file of the ") + w.name;
    return std::vector<uint8_t>(t.begin(), t.end());
}
// The files in a folder, names only, sorted.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
std::string Name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }

// Two images that give different files: the one there before, and the new one.
void Fill(TestSurface& t, unsigned seed) {
    std::mt19937 rng(seed);
    FillRandom(t.get(), rng, false);
    srf_Unlock(t.get());
}

// ---- a second process ----

struct Child {
    PROCESS_INFORMATION pi{};
    HANDLE ready = nullptr, release = nullptr;
    std::string tag;
    Child(const std::string& args) {
        static int serial;
        tag = "kvfaults_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
        ready = CreateEventA(nullptr, TRUE, FALSE, (tag + "_ready").c_str());
        release = CreateEventA(nullptr, TRUE, FALSE, (tag + "_release").c_str());
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string line = "\"" + std::string(exe) + "\" " + args + " " + tag;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) pi = {};
        if (pi.hProcess) AssignProcessToJobObject(Job(), pi.hProcess);
    }
    // Every helper ends with this program, however that ends.
    static HANDLE Job() {
        static HANDLE job = [] {
            HANDLE j = CreateJobObjectA(nullptr, nullptr);
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits);
            return j;
        }();
        return job;
    }
    bool WaitReady() {
        HANDLE both[2] = {ready, pi.hProcess};
        return pi.hProcess && WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }
    void Kill() {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    DWORD Finish() {
        SetEvent(release);
        WaitForSingleObject(pi.hProcess, 20000);
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    ~Child() {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 9);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        CloseHandle(ready);
        CloseHandle(release);
    }
};

HANDLE OpenEventNamed(const std::string& name) { return OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()); }

// --hold PATH TAG: keeps PATH open with no sharing until told to let go.
int HoldMain(const char* path, const std::string& tag) {
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 2;
    SetEvent(OpenEventNamed(tag + "_ready"));
    WaitForSingleObject(OpenEventNamed(tag + "_release"), 60000);
    CloseHandle(f);
    return 0;
}

// --write-loop ROW FOLDER TAG: the new image and the old one in turn, until killed.
int WriteLoopMain(int row, const std::string& folder, const std::string& tag) {
    TestSurface a(256, 256), b(256, 256);
    Fill(a, 1);
    Fill(b, 2);
    SetEvent(OpenEventNamed(tag + "_ready"));
    for (int i = 0;; i++)
        if (!Write(WRITERS[row], i % 2 ? a.get() : b.get(), folder)) return 3;
}

// --prepare FOLDER: each writer's previous file, before the folder is made read-only.
int PrepareMain(const std::string& folder) {
    for (const Writer& w : WRITERS) Put(Target(w, folder + "\\" + std::to_string(&w - WRITERS)), Previous(w));
    return 0;
}

// ---- the faults ----

enum Fault { FULL_DISK, READ_ONLY, HELD_OPEN };
const char* const FAULT_NAMES[] = {"full disk", "read-only folder", "held open"};

// What the user is told, per writer and fault. The image writers and the icon answer through the
// save dispatcher's message box; the auto-save point through the status line of the
// message loop when its writer reports failure (" CAN'T AUTO-SAVE - ACCESS DENIED.");
// the settings file is retried silently after every message.
const char UNKNOWN[] = "Save Error: Unknown rendering error.";
const char READ_ONLY_TEXT[] = "Save Error: The destination is READ-ONLY.";
std::string Told(const Writer& w, Fault f) {
    if (w.kind == SETTINGS || w.kind == AUTOSAVE) return "";
    return f == READ_ONLY ? READ_ONLY_TEXT : UNKNOWN;
}

std::string Joined(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& x : v) s += (s.empty() ? "" : " | ") + x;
    return s;
}

struct WriteFaults : ::testing::Test {
    Scratch home{"kvflt"};
    TestSurface image{64, 64};
    void SetUp() override {
        g_home = home.dir;
        SetEnvironmentVariableA("KV_FAULT_HOME", home.dir.c_str());  // the writing children's program folder
        ASSERT_TRUE(path_CreateFolders());
        for (const char* dll : {"PNG filter.dll", "JPEG filter.dll"})
            ASSERT_TRUE(CopyFileA((WinPath(KV_PLUGIN_BUILD_DIR) + "\\" + dll).c_str(),
                                  (home.dir + "\\Plugins\\" + dll).c_str(), FALSE));
        Fill(image, 3);
    }
    // One writer under a fault: the write fails and the user is told what the table
    // says; then (`release` lets go of a held file first) the previous file is there
    // byte for byte and nothing else is left in its folder.
    template <typename Release>
    void Expect(const Writer& w, Fault f, const std::string& folder, Release release) {
        const std::string target = Target(w, folder), row = std::string(w.name) + " / " + FAULT_NAMES[f];
        uiscript_Reset();
        const int wrote = Write(w, image.get(), folder);
        const std::vector<std::string> boxes = uiscript_BoxLines();
        const std::string told = boxes.empty() ? "" : boxes.back();  // after the PPM writer's own question
        const int failedState = w.kind != AUTOSAVE || as_State() == AS_FAILED;
        release();
        const bool whole = Bytes(target) == Previous(w);
        const std::vector<std::string> left = Listing(Folder(target));
        EXPECT_EQ(wrote, 0) << row;
        EXPECT_TRUE(whole) << row;
        EXPECT_EQ(left, std::vector<std::string>{Name(target)}) << row;
        EXPECT_EQ(told, Told(w, f)) << row;
        EXPECT_TRUE(failedState) << row;
        std::printf("  %-16s | %-16s | %s, %s, %s | %s\n", w.name, FAULT_NAMES[f], wrote ? "WROTE" : "refused",
                    whole ? "previous file whole" : "PREVIOUS FILE CHANGED",
                    left.size() == 1 ? "nothing left" : "FILES LEFT",
                    !told.empty() ? told.substr(0, told.find('\n')).c_str()
                    : w.kind == AUTOSAVE ? (failedState ? "status: CAN'T AUTO-SAVE - ACCESS DENIED." : "NOT TOLD")
                                         : "(nothing shown: retried)");
    }
    void Expect(const Writer& w, Fault f, const std::string& folder) { Expect(w, f, folder, [] {}); }
};

std::string Drive(const char* var) {
    std::string d = Env(var);
    if (d.empty()) ADD_FAILURE() << var << " is not set: run this test through tests/win/writefaults/writefaults.sh";
    return d;
}

TEST_F(WriteFaults, FullDiskKeepsThePreviousFile) {
    const std::string drive = Drive("KV_FAULT_FULL");
    if (drive.empty()) return;
    for (int i = 0; i < WRITER_COUNT; i++) Put(Target(WRITERS[i], drive + "\\" + std::to_string(i)), Previous(WRITERS[i]));
    // Every page of the drive taken: no write can finish there.
    {
        std::ofstream filler(drive + "\\filler", std::ios::binary);
        std::vector<char> block(4096, 'f');
        for (int n = 0; n < 1 << 16 && filler.write(block.data(), (std::streamsize)block.size()).flush(); n++) {}
    }
    std::ofstream probe(drive + "\\probe", std::ios::binary);
    ASSERT_FALSE(probe.write("x", 1).flush()) << "the drive is not full";
    probe.close();
    fs::remove(drive + "\\probe");
    for (int i = 0; i < WRITER_COUNT; i++) Expect(WRITERS[i], FULL_DISK, drive + "\\" + std::to_string(i));
    fs::remove(drive + "\\filler");
}

TEST_F(WriteFaults, ReadOnlyFolderKeepsThePreviousFile) {
    const std::string drive = Drive("KV_FAULT_RO");
    if (drive.empty()) return;
    std::ofstream probe(drive + "\\probe", std::ios::binary);
    ASSERT_FALSE(probe.is_open()) << "the drive is not read-only";
    for (int i = 0; i < WRITER_COUNT; i++) Expect(WRITERS[i], READ_ONLY, drive + "\\" + std::to_string(i));
}

TEST_F(WriteFaults, FileHeldOpenByAnotherProcessKeepsThePreviousFile) {
    for (int i = 0; i < WRITER_COUNT; i++) {
        const std::string folder = home.dir + "\\held" + std::to_string(i), target = Target(WRITERS[i], folder);
        Put(target, Previous(WRITERS[i]));
        Child holder("--hold \"" + target + "\"");
        ASSERT_TRUE(holder.WaitReady()) << WRITERS[i].name;
        Expect(WRITERS[i], HELD_OPEN, folder, [&] { EXPECT_EQ(holder.Finish(), 0u) << WRITERS[i].name; });
    }
}

// Killed at a random moment of writing, again and again: each time the file there is
// one of the two complete files, and at most the writer's temporary file lies beside
// it, which the next write of the same name takes over.
TEST_F(WriteFaults, KilledWhileWritingLeavesAWholeFile) {
    // A process start under Wine costs about half a second: 20 kills a writer (200 in
    // all) keep the run short; KV_FAULT_KILLS=200 gives each writer 200.
    const int kills = std::atoi(Env("KV_FAULT_KILLS").c_str()) > 0 ? std::atoi(Env("KV_FAULT_KILLS").c_str()) : 20;
    std::mt19937 rng(std::atoi(Env("KV_FAULT_SEED").c_str()));
    TestSurface a(256, 256), b(256, 256);
    Fill(a, 1);
    Fill(b, 2);
    for (int i = 0; i < WRITER_COUNT; i++) {
        const Writer& w = WRITERS[i];
        const std::string folder = home.dir + "\\killed" + std::to_string(i), target = Target(w, folder);
        const std::string ref = home.dir + "\\ref" + std::to_string(i);
        fs::create_directories(folder);
        fs::create_directories(ref);
        // The two complete files, and how long one write takes.
        ASSERT_TRUE(Write(w, a.get(), ref)) << w.name;
        const std::vector<uint8_t> fileA = Bytes(Target(w, ref));
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Write(w, b.get(), ref)) << w.name;
        const int writeMs = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start).count();
        const std::vector<uint8_t> fileB = Bytes(Target(w, ref));
        ASSERT_NE(fileA, fileB) << w.name;
        // The point's header holds the time of its snapshot: the rest must match.
        auto same = [&](std::vector<uint8_t> got, std::vector<uint8_t> want) {
            if (w.kind == AUTOSAVE && got.size() == want.size() && got.size() > 24)
                std::copy(want.begin() + 8, want.begin() + 24, got.begin() + 8);
            return got == want;
        };
        ASSERT_TRUE(Write(w, a.get(), folder)) << w.name;
        int whole = 0, midWrite = 0;
        std::uniform_int_distribution<int> delay(0, 3 * writeMs + 10);
        for (int k = 0; k < kills; k++) {
            Child writer("--write-loop " + std::to_string(i) + " \"" + folder + "\"");
            ASSERT_TRUE(writer.WaitReady()) << w.name;
            Sleep((DWORD)delay(rng));
            writer.Kill();
            const std::vector<uint8_t> got = Bytes(target);
            const bool ok = same(got, fileA) || same(got, fileB);
            whole += ok;
            ASSERT_TRUE(ok) << w.name << ": kill " << k << " left " << got.size() << " bytes";
            std::vector<std::string> left = Listing(Folder(target));
            left.erase(std::remove(left.begin(), left.end(), Name(target)), left.end());
            midWrite += !left.empty();
            ASSERT_TRUE(left.empty() || left == std::vector<std::string>{Name(TempOf(w, target))})
                << w.name << ": kill " << k << " left " << Joined(left);
        }
        // The next write takes over what a kill left.
        ASSERT_TRUE(Write(w, b.get(), folder)) << w.name;
        EXPECT_TRUE(same(Bytes(target), fileB)) << w.name;
        EXPECT_EQ(Listing(Folder(target)), std::vector<std::string>{Name(target)}) << w.name;
        std::printf("  %-16s | killed x%-7d | %d whole, %d of them with a temporary file left, then taken over | "
                    "(write %d ms)\n",
                    w.name, kills, whole, midWrite, writeMs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    eng_Init();
    ResetSettings(0);
    // The auto-save point's ID as a fresh run with a fixed seed draws it, in every process.
    path_Build("C:\\kv-no-such-folder\\kelvara.exe");
    as_DrawRunId(AUTOSAVE_SEED);
    uiscript_Reset();
    if (argc >= 2) {
        const std::string mode = argv[1];
        if (mode == "--hold" && argc == 4) return HoldMain(argv[2], argv[3]);
        if (mode == "--write-loop" && argc == 5) {
            g_home = Env("KV_FAULT_HOME");
            path_Build((g_home + "\\kelvara.exe").c_str());
            return WriteLoopMain(std::atoi(argv[2]), argv[3], argv[4]);
        }
        if (mode == "--prepare" && argc == 3) return PrepareMain(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
