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
#include <memory>
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

enum Kind { IMAGE, PLUGIN, ICON, SETTINGS, AUTOSAVE };
struct Writer {
    const char* name;  // a row of the table
    Kind kind;
    const char* file;  // in the writer's folder (the auto-save point's is drawn)
};
const Writer WRITERS[] = {
    {"KV5", IMAGE, "pic.kv5"},          {"BMP", IMAGE, "pic.bmp"},           {"TGA", IMAGE, "pic.tga"},
    {"PCX", IMAGE, "pic.pcx"},          {"PPM", IMAGE, "pic.ppm"},           {"icon", ICON, "pic.ico"},
    {"PNG plug-in", PLUGIN, "pic.png"}, {"JPEG plug-in", PLUGIN, "pic.jpg"}, {"auto-save point", AUTOSAVE, ""},
    {"settings file", SETTINGS, "Kelvara.kvr"},
};
const int WRITER_COUNT = (int)(sizeof WRITERS / sizeof WRITERS[0]);

std::string g_home;  // the program's folder for the image writers, with the plug-ins

std::string Env(const char* name) { return std::getenv(name) ? std::getenv(name) : ""; }

std::string Target(const Writer& w, const std::string& folder) {
    if (w.kind != AUTOSAVE) return folder + "\\" + w.file;
    return folder + "\\Autosave\\" + std::to_string(as_RunId()) + ".kvr";
}
// The one other name a killed writer may leave: its temporary file.
std::string TempOf(const Writer& w, const std::string& target) {
    char t[KV_MAX_PATH + 2];
    if (w.kind == AUTOSAVE) return target.substr(0, target.size() - 4) + ".tmp";
    (w.kind == PLUGIN ? swr_TypedTempName : swr_TempName)(target.c_str(), t, sizeof t);
    return t;
}

// Writes the writer's file in `folder` from `image`, as the program does. 1 when written.
int Write(const Writer& w, Surface* image, const std::string& folder) {
    const std::string target = Target(w, folder);
    const Kv5SaveOptions plain{};
    if (w.kind == IMAGE || w.kind == PLUGIN) return img_SaveFile(image, target.c_str(), &plain) != 0;
    if (w.kind == ICON) return WriteIconFile(image, target.c_str());
    path_Build((folder + "\\kelvara.exe").c_str());  // both live in the program's folder
    int ok;
    if (w.kind == SETTINGS) {
        set_Colour(1, srf_Lock(image)[0]);
        srf_Unlock(image);
        ok = SaveSettings();
    } else {
        as_Reset();
        ok = SaveAutosaveNow(image) == 1;
    }
    path_Build((g_home + "\\kelvara.exe").c_str());
    return ok;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
std::vector<uint8_t> Previous(const Writer& w) {
    std::string t = std::string("the previous file of the ") + w.name;
    return std::vector<uint8_t>(t.begin(), t.end());
}
void PutPrevious(const Writer& w, const std::string& folder) {
    const std::string target = Target(w, folder);
    fs::create_directories(fs::path(target).parent_path());
    std::ofstream(target, std::ios::binary).write((const char*)Previous(w).data(), (std::streamsize)Previous(w).size());
}
// The names of the files in the target's folder other than the target, sorted.
std::vector<std::string> LeftBeside(const std::string& target) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(target).parent_path(), ec))
        if (e.is_regular_file() && e.path() != fs::path(target)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void Fill(TestSurface& t, unsigned seed) {
    std::mt19937 rng(seed);
    FillRandom(t.get(), rng, false);
    srf_Unlock(t.get());
}

// ---- a second process: this program again, in one of its helper modes ----

HANDLE HelperJob() {  // every helper ends with this program, however that ends
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return j;
    }();
    return job;
}

struct Helper {
    PROCESS_INFORMATION pi{};
    HANDLE ready;  // set by the helper once it holds the file or starts writing
    explicit Helper(const std::string& args) {
        static int serial;
        const std::string event = "kvfaults_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
        ready = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string line = "\"" + std::string(exe) + "\" " + args + " " + event;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            AssignProcessToJobObject(HelperJob(), pi.hProcess);
    }
    bool WaitReady() {
        HANDLE both[2] = {ready, pi.hProcess};
        return pi.hProcess && WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
    }
    void Kill() {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    ~Helper() {
        Kill();
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        CloseHandle(ready);
    }
};

void SignalReady(const char* event) { SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, event)); }

// --hold PATH EVENT: keeps PATH open with no sharing until killed.
int HoldMain(const char* path, const char* event) {
    if (CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE)
        return 2;
    SignalReady(event);
    Sleep(INFINITE);
    return 0;
}

// --write-loop ROW FOLDER EVENT: the new image and the old one in turn, until killed.
int WriteLoopMain(int row, const std::string& folder, const char* event) {
    TestSurface a(256, 256), b(256, 256);
    Fill(a, 1);
    Fill(b, 2);
    SignalReady(event);
    for (int i = 0;; i++)
        if (!Write(WRITERS[row], i % 2 ? a.get() : b.get(), folder)) return 3;
}

// ---- the faults ----

// What the user is told. The image writers, the plug-ins and the icon answer through
// the save dispatcher's message box. The auto-save point's failure shows in the status
// line (" CAN'T AUTO-SAVE - ACCESS DENIED.", from the message loop); the settings file
// is retried silently after every message.
struct Fault {
    const char* name;
    const char* drive;  // the variable naming its drive; null: the test's own folder
    const char* told;
};
const Fault FAULTS[] = {
    {"full disk", "KV_FAULT_FULL", "Save Error: Unknown rendering error."},
    {"read-only folder", "KV_FAULT_RO", "Save Error: The destination is READ-ONLY."},
    {"held open", nullptr, "Save Error: Unknown rendering error."},
};

struct WriteFaults : ::testing::Test {
    Scratch home{"kvflt"};
    void SetUp() override {
        g_home = home.dir;
        SetEnvironmentVariableA("KV_FAULT_HOME", home.dir.c_str());  // the writing helpers' program folder
        ASSERT_TRUE(path_CreateFolders());
        for (const char* dll : {"PNG filter.dll", "JPEG filter.dll"})
            ASSERT_TRUE(CopyFileA((WinPath(KV_PLUGIN_BUILD_DIR) + "\\" + dll).c_str(),
                                  (home.dir + "\\Plugins\\" + dll).c_str(), FALSE));
    }
};

// Each writer under each fault: the write fails, the user is told what the table says,
// the previous file is there byte for byte and nothing else is left beside it.
TEST_F(WriteFaults, EveryWriterKeepsThePreviousFile) {
    for (const Fault& f : FAULTS)
        ASSERT_FALSE(f.drive && Env(f.drive).empty()) << f.drive << " is not set: run tests/win/writefaults/writefaults.sh";
    TestSurface image(64, 64);
    Fill(image, 3);
    const std::string full = Env("KV_FAULT_FULL");
    for (int i = 0; i < WRITER_COUNT; i++) PutPrevious(WRITERS[i], full + "\\" + std::to_string(i));
    {  // every page of the drive taken: no write can finish there
        std::ofstream filler(full + "\\filler", std::ios::binary);
        std::vector<char> block(4096, 'f');
        for (int n = 0; n < 1 << 16 && filler.write(block.data(), (std::streamsize)block.size()).flush(); n++) {}
    }
    ASSERT_FALSE(std::ofstream(full + "\\probe").write("x", 1).flush()) << "the drive is not full";
    ASSERT_FALSE(std::ofstream(Env("KV_FAULT_RO") + "\\probe").is_open()) << "the drive is not read-only";
    fs::remove(full + "\\probe");
    for (const Fault& f : FAULTS)
        for (int i = 0; i < WRITER_COUNT; i++) {
            const Writer& w = WRITERS[i];
            const std::string folder = (f.drive ? Env(f.drive) : home.dir) + "\\" + std::to_string(i);
            const std::string target = Target(w, folder), row = std::string(w.name) + " / " + f.name;
            std::unique_ptr<Helper> holder;
            if (!f.drive) {
                PutPrevious(w, folder);
                holder.reset(new Helper("--hold \"" + target + "\""));
                ASSERT_TRUE(holder->WaitReady()) << row;
            }
            uiscript_Reset();
            const int wrote = Write(w, image.get(), folder);
            const std::vector<std::string> boxes = uiscript_BoxLines();
            const std::string told = boxes.empty() ? "" : boxes.back();  // after the PPM writer's own question
            const bool failedState = w.kind != AUTOSAVE || as_State() == AS_FAILED;
            holder.reset();
            const bool whole = Bytes(target) == Previous(w);
            const std::vector<std::string> left = LeftBeside(target);
            EXPECT_EQ(wrote, 0) << row;
            EXPECT_TRUE(whole) << row;
            EXPECT_EQ(left, std::vector<std::string>{}) << row;
            EXPECT_EQ(told, w.kind == SETTINGS || w.kind == AUTOSAVE ? "" : f.told) << row;
            EXPECT_TRUE(failedState) << row;
            std::printf("  %-16s | %-16s | %s, %s, %s | %s\n", w.name, f.name, wrote ? "WROTE" : "refused",
                        whole ? "previous file whole" : "PREVIOUS FILE CHANGED",
                        left.empty() ? "nothing left" : "FILES LEFT",
                        !told.empty() ? told.c_str()
                        : w.kind == AUTOSAVE ? (failedState ? "status: CAN'T AUTO-SAVE - ACCESS DENIED." : "NOT TOLD")
                                             : "(nothing shown: retried)");
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
        auto same = [&](std::vector<uint8_t> got, const std::vector<uint8_t>& want) {
            if (w.kind == AUTOSAVE && got.size() == want.size() && got.size() > 24)
                std::copy(want.begin() + 8, want.begin() + 24, got.begin() + 8);
            return got == want;
        };
        ASSERT_TRUE(Write(w, a.get(), folder)) << w.name;
        int midWrite = 0;
        std::uniform_int_distribution<int> delay(0, 3 * writeMs + 10);
        for (int k = 0; k < kills; k++) {
            Helper writer("--write-loop " + std::to_string(i) + " \"" + folder + "\"");
            ASSERT_TRUE(writer.WaitReady()) << w.name;
            Sleep((DWORD)delay(rng));
            writer.Kill();
            const std::vector<uint8_t> got = Bytes(target);
            ASSERT_TRUE(same(got, fileA) || same(got, fileB)) << w.name << ": kill " << k << " left " << got.size() << " bytes";
            const std::vector<std::string> left = LeftBeside(target);
            midWrite += !left.empty();
            ASSERT_TRUE(left.empty() || left == std::vector<std::string>{fs::path(TempOf(w, target)).filename().string()})
                << w.name << ": kill " << k << " left " << left.size() << " other files, first " << left[0];
        }
        ASSERT_TRUE(Write(w, b.get(), folder)) << w.name;
        EXPECT_TRUE(same(Bytes(target), fileB)) << w.name;
        EXPECT_EQ(LeftBeside(target), std::vector<std::string>{}) << w.name;
        std::printf("  %-16s | killed x%-7d | all whole; %d left a temporary file, taken over by the next write "
                    "(write %d ms)\n", w.name, kills, midWrite, writeMs);
    }
}

}  // namespace

int main(int argc, char** argv) {
    eng_Init();
    ResetSettings(0);
    // The auto-save point's ID as a fresh run with a fixed seed draws it, in every process.
    path_Build("C:\\kv-no-such-folder\\kelvara.exe");
    as_DrawRunId(7);
    uiscript_Reset();
    const std::string mode = argc >= 2 ? argv[1] : "";
    if (mode == "--hold" && argc == 4) return HoldMain(argv[2], argv[3]);
    if (mode == "--write-loop" && argc == 5) {
        g_home = Env("KV_FAULT_HOME");
        path_Build((g_home + "\\kelvara.exe").c_str());
        return WriteLoopMain(std::atoi(argv[2]), argv[3], argv[4]);
    }
    if (mode == "--prepare" && argc == 3) {  // the previous files, before the drive is made read-only
        for (int i = 0; i < WRITER_COUNT; i++) PutPrevious(WRITERS[i], std::string(argv[2]) + "\\" + std::to_string(i));
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
