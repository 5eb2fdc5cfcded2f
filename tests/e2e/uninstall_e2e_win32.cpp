// uninstall_e2e_win32.cpp — self-uninstallation driven from outside: the forced
// switch removes the program's files, registry entries and shortcuts, ends the other
// running copies and leaves the erase copy to remove the program and its folder;
// the switch and the menu command stop at the first "No", the menu command also at
// the lock option.
//
// It deletes files, so it runs only in a throw-away program folder of the test's
// own and redirects the prefix's "Programs" and "Desktop" shell folders into that
// run folder first (restoring them afterwards); it refuses to run when the
// redirection does not take.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <string>

#include "app/app_ids.h"
#include "e2e/driver_win32.h"
#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace {

const char SHELL_FOLDERS[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void put_file(const std::string& path) { std::ofstream(path) << "x"; }

// Points the prefix's "Programs" and "Desktop" folders into the run folder for the
// life of the object.
struct ShellFolders {
    std::string saved[2];
    bool had[2] = {false, false};
    const char* names[2] = {"Programs", "Desktop"};
    ShellFolders(const std::string& programs, const std::string& desktop) {
        const std::string to[2] = {programs, desktop};
        for (int i = 0; i < 2; i++) {
            char buf[MAX_PATH];
            DWORD size = sizeof buf;
            had[i] = RegGetValueA(HKEY_CURRENT_USER, SHELL_FOLDERS, names[i], RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                                  RRF_NOEXPAND, nullptr, buf, &size) == ERROR_SUCCESS;
            if (had[i]) saved[i] = buf;
            RegSetKeyValueA(HKEY_CURRENT_USER, SHELL_FOLDERS, names[i], REG_SZ, to[i].c_str(), (DWORD)to[i].size() + 1);
        }
    }
    ~ShellFolders() {
        for (int i = 0; i < 2; i++)
            if (had[i]) RegSetKeyValueA(HKEY_CURRENT_USER, SHELL_FOLDERS, names[i], REG_EXPAND_SZ, saved[i].c_str(),
                                        (DWORD)saved[i].size() + 1);
            else RegDeleteKeyValueA(HKEY_CURRENT_USER, SHELL_FOLDERS, names[i]);
    }
};

TEST(Uninstall, ForcedRemovesTheInstallationAndEndsTheOtherCopies) {
    std::string dir = drv_MakeFolder("uninstall_kelvara", drv_QuietSettingsFile());
    std::string run = dir.substr(0, dir.find_last_of('\\'));
    std::string programs = run + "\\uninstall_shell\\Programs", desktop = run + "\\uninstall_shell\\Desktop";
    CreateDirectoryA((run + "\\uninstall_shell").c_str(), nullptr);
    CreateDirectoryA(programs.c_str(), nullptr);
    CreateDirectoryA(desktop.c_str(), nullptr);
    ShellFolders redirect(programs, desktop);
    ASSERT_EQ(drv_ShellFolder(CSIDL_PROGRAMS), programs) << "the shell folders did not move: not running";
    ASSERT_EQ(drv_ShellFolder(CSIDL_DESKTOPDIRECTORY), desktop) << "the shell folders did not move: not running";

    // What an installation leaves: files, shortcuts, registry entries.
    for (const char* sub : {"\\Images", "\\Sprites", "\\Plugins", "\\Autosave", "\\Autosave\\old"})
        CreateDirectoryA((dir + sub).c_str(), nullptr);
    for (const char* f : {"\\Kelvara.log", "\\Kelvara.chm", "\\ReadMe.txt", "\\desktop.bmp", "\\Images\\a.kv5",
                          "\\Sprites\\b.kv5", "\\Plugins\\c.dll", "\\Autosave\\1.kvr", "\\Autosave\\old\\2.tmp"})
        put_file(dir + f);
    SetFileAttributesA((dir + "\\ReadMe.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // The log is deleted with the program's files; a second name for it outlives that.
    const std::string logCopy = run + "\\uninstall_log_copy.log";
    DeleteFileA(logCopy.c_str());
    ASSERT_TRUE(CreateHardLinkA(logCopy.c_str(), (dir + "\\Kelvara.log").c_str(), nullptr));
    CreateDirectoryA((programs + "\\Orvik Lab").c_str(), nullptr);
    CreateDirectoryA((programs + "\\Orvik Lab\\Kelvara").c_str(), nullptr);
    put_file(programs + "\\Orvik Lab\\Kelvara\\Kelvara.lnk");
    put_file(programs + "\\Orvik Lab\\Kelvara\\Uninstall.lnk");
    put_file(desktop + "\\Kelvara.lnk");
    put_file(desktop + "\\Other.lnk");
    SetRegistryString(HKEY_CLASSES_ROOT, ".kv5", nullptr, "Kelvara.kv5");
    SetRegistryString(HKEY_CLASSES_ROOT, "Kelvara.kv5\\shell\\open\\command", nullptr, "x \"%1\"");
    SetRegistryString(HKEY_CLASSES_ROOT, ".pcx", nullptr, "Kelvara.pcx");
    SetRegistryString(HKEY_CLASSES_ROOT, ".pcx", "_old", "OtherPaint.pcx");
    SetRegistryString(HKEY_CLASSES_ROOT, "Kelvara.pcx", nullptr, "PCX image");
    SetRegistryString(HKEY_CLASSES_ROOT, ".kvr", nullptr, "Kelvara.kvr");
    SetRegistryString(HKEY_CLASSES_ROOT, "Kelvara.kvr", nullptr, "Data File");
    SetRegistryString(HKEY_CLASSES_ROOT, "Kelvara.AppPath", nullptr, (dir + "\\kelvara.exe").c_str());

    // Another copy, elsewhere, that must end itself on the broadcast.
    KvRunning other, uninstaller;
    std::string otherDir = drv_MakeFolder("uninstall_other", drv_QuietSettingsFile());
    ASSERT_TRUE(drv_StartReady(&other.p, otherDir, ""));

    ASSERT_TRUE(drv_Start(&uninstaller.p, dir, "/forceuninstall /nogui"));
    // No confirmations when forced; the folder questions still come.
    EXPECT_TRUE(drv_Answer(&uninstaller.p, "Delete Images?", IDYES, 30000));
    EXPECT_TRUE(drv_Answer(&uninstaller.p, "Delete Sprites", IDYES, 10000));
    EXPECT_TRUE(drv_Answer(&uninstaller.p, "Delete Installed Plugins", IDYES, 10000));
    EXPECT_EQ(drv_WaitExit(&uninstaller.p, 20000), 0u);
    EXPECT_EQ(drv_WaitExit(&other.p, 5000), 0x9999u);

    // The erase copy removes the program and its now empty folder after 500 ms.
    for (int t = 0; t < 100 && drv_Exists(dir); t++) Sleep(100);
    EXPECT_FALSE(drv_Exists(dir + "\\kelvara.exe"));
    EXPECT_FALSE(drv_Exists(dir));
    EXPECT_TRUE(drv_Exists(run));  // folders above without "kelvara"/"orvik" in their path stay
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    EXPECT_TRUE(drv_Exists(std::string(temp) + "erase_me.exe"));

    EXPECT_FALSE(drv_Exists(programs + "\\Orvik Lab"));
    EXPECT_FALSE(drv_Exists(desktop + "\\Kelvara.lnk"));
    EXPECT_TRUE(drv_Exists(desktop + "\\Other.lnk"));
    EXPECT_NE(drv_ClassesDefault(".kv5"), "Kelvara.kv5");  // no owner before us: the key may stay, empty
    EXPECT_EQ(drv_ClassesDefault("Kelvara.kv5"), "<none>");
    EXPECT_EQ(drv_ClassesDefault(".pcx"), "OtherPaint.pcx");  // given back to its previous owner
    EXPECT_EQ(drv_ClassesDefault("Kelvara.pcx"), "<none>");
    EXPECT_EQ(drv_ClassesDefault(".kvr"), "<none>");  // the settings type is ours alone
    EXPECT_EQ(drv_ClassesDefault("Kelvara.AppPath"), "<none>");
    DeleteRegistryTree(HKEY_CLASSES_ROOT, ".pcx");
    // Each step went to the runtime log, in order, before the log itself went.
    const std::string log = drv_ReadFile(logCopy);
    size_t at = 0;
    for (const char* step : {"SELF-UNINSTALL invoked... : 0, 0", "Closing all instances... : 0, 0",
                             "Removing registry entries... : 0, 0", "Removing shortcuts... : 0, 0",
                             "Deleting associated files... : 0, 0", "NB: Error Logging Ends Here! : 0, 0"}) {
        size_t found = log.find(step, at);
        EXPECT_NE(found, std::string::npos) << step << "\n" << log;
        if (found != std::string::npos) at = found;
    }
}

// Closes the "Uninstaller" box after checking its text.
void expect_cancelled(KvProcess* p) {
    HWND box = drv_FindOwned(p, "Uninstaller", 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(FindWindowExA(box, nullptr, "Static", "Uninstallation was cancelled."), nullptr);
    ASSERT_TRUE(drv_Answer(p, "Uninstaller", IDOK, 5000));
}

TEST(Uninstall, SwitchAndMenuCommandStopAtTheFirstNoAndAtTheLock) {
    std::string dir = drv_MakeFolder("uninstall_cancel", drv_QuietSettingsFile(1));
    std::string run = dir.substr(0, dir.find_last_of('\\'));
    // Should the command go too far, it must not reach the prefix's real shell folders.
    std::string shell = run + "\\uninstall_cancel_shell";
    CreateDirectoryA(shell.c_str(), nullptr);
    ShellFolders redirect(shell, shell);
    ASSERT_EQ(drv_ShellFolder(CSIDL_DESKTOPDIRECTORY), shell) << "the shell folders did not move: not running";
    // The shortcut's "/nogui /uninstall": a "No" reports the failure and ends normally.
    KvRunning s;
    ASSERT_TRUE(drv_Start(&s.p, dir, "/nogui /uninstall"));
    ASSERT_TRUE(drv_Answer(&s.p, "Uninstall Kelvara", IDNO, 10000));
    ASSERT_TRUE(drv_Answer(&s.p, "Setup Error!!", IDOK, 10000));
    EXPECT_EQ(drv_WaitExit(&s.p, 20000), 0u);
    KvRunning r;
    ASSERT_TRUE(drv_StartReady(&r.p, dir, ""));
    drv_Command(r.p.main, CMD_UNINSTALL);
    ASSERT_TRUE(drv_Answer(&r.p, "Uninstall Kelvara", IDNO, 10000));
    expect_cancelled(&r.p);
    // Both confirmations given, but the option is locked.
    drv_Command(r.p.main, CMD_UNINSTALL);
    ASSERT_TRUE(drv_Answer(&r.p, "Uninstall Kelvara", IDYES, 10000));
    ASSERT_TRUE(drv_Answer(&r.p, "!! CONFIRM UNINSTALL !!", IDYES, 10000));
    ASSERT_TRUE(drv_Answer(&r.p, "Access Denied", IDOK, 10000));
    expect_cancelled(&r.p);
    EXPECT_EQ(drv_WaitExit(&r.p, 1000), (DWORD)STILL_ACTIVE);
    EXPECT_TRUE(drv_Exists(dir + "\\kelvara.exe"));
    EXPECT_TRUE(drv_Exists(dir + "\\Kelvara.kvr"));
    EXPECT_TRUE(drv_CloseWithYes(&r.p));
}

}  // namespace
