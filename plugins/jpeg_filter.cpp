// jpeg_filter.cpp — "JPEG filter.dll": JPEG files read and written through the
// Windows Imaging Component. Loads any file that is a JPEG, whatever its name;
// writes only the JPEG names. The quality of saved files is the one setting; it
// lives in the plug-in's own .ini beside the DLL ("JPEG filter.ini"), so removing
// the plug-in removes its settings too.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "formats/plugin_api_win32.h"
#include "jpeg_filter_ids.h"
#include "wic_filter.h"


namespace {

const char* const EXTENSIONS[] = {".jpg", ".jpe", ".jff", ".jpeg", ".jfif", nullptr};
const uint8_t SIGNATURE[] = {0xFF, 0xD8, 0xFF};
const char NAME[] = "JPEG Image Filter";
const char SECTION[] = "JPEG";
const char KEY[] = "Quality";
const int QUALITY_DEFAULT = 90;

HINSTANCE g_module;

// The DLL's own path with ".ini" for ".dll"; 0 when it does not fit.
// A path of MAX_PATH UTF-16 units takes up to three times as many bytes in UTF-8,
// the program's code page.
const int INI_PATH_CAP = 3 * MAX_PATH;

int IniPath(char* out, DWORD cap) {
    const DWORD n = GetModuleFileNameA(g_module, out, cap);
    if (n == 0 || n >= cap - 4) return 0;
    char* dot = std::strrchr(out, '.');
    char* slash = std::strrchr(out, '\\');
    if (!dot || (slash && dot < slash)) dot = out + n;
    std::strcpy(dot, ".ini");
    return 1;
}

int ClampQuality(int q) { return q < 1 ? 1 : q > 100 ? 100 : q; }

int ReadQuality() {
    char ini[INI_PATH_CAP];
    if (!IniPath(ini, sizeof ini)) return QUALITY_DEFAULT;
    return ClampQuality((int)GetPrivateProfileIntA(SECTION, KEY, QUALITY_DEFAULT, ini));
}

int WriteQuality(int q) {
    char ini[INI_PATH_CAP], text[16];
    std::snprintf(text, sizeof text, "%d", ClampQuality(q));
    return IniPath(ini, sizeof ini) && WritePrivateProfileStringA(SECTION, KEY, text, ini);
}

INT_PTR CALLBACK SettingsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dlg, IDC_JPEG_QUALITY, EM_LIMITTEXT, 3, 0);
        SetDlgItemInt(dlg, IDC_JPEG_QUALITY, (UINT)ReadQuality(), FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            BOOL read = FALSE;
            const UINT q = GetDlgItemInt(dlg, IDC_JPEG_QUALITY, &read, FALSE);
            if (!read || q < 1 || q > 100) {
                MessageBeep(MB_ICONEXCLAMATION);
                SetFocus(GetDlgItem(dlg, IDC_JPEG_QUALITY));
                return TRUE;
            }
            WriteQuality((int)q);
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

PLUGIN_EXPORT int plg_GetNameAndType(char* name) {
    if (name) lstrcpynA(name, NAME, PLG_NAME_BUFFER);
    return PLG_TYPE_FILTER;
}

PLUGIN_EXPORT int plg_About(HWND owner) {
    MessageBoxA(owner,
                "JPEG Image Filter\n\nReads and writes JPEG images through the Windows Imaging Component. "
                "JPEG keeps no transparency.",
                "About JPEG Image Filter", MB_OK | MB_ICONINFORMATION);
    return 1;
}

PLUGIN_EXPORT int plg_Configure(HWND owner) {
    return DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_JPEG_SETTINGS), owner, SettingsProc, 0) == IDOK;
}

PLUGIN_EXPORT HBITMAP flt_LoadPicture(const char* path, HWND) {
    return wic_Load(path, GUID_ContainerFormatJpeg, SIGNATURE, sizeof SIGNATURE);
}

PLUGIN_EXPORT int flt_Save_IsExtensionOk(const char* ext) { return wic_ExtensionListed(ext, EXTENSIONS); }

PLUGIN_EXPORT int flt_SavePicture(HBITMAP bitmap, const char* path, HWND) {
    if (!wic_PathListed(path, EXTENSIONS)) return 0;
    return wic_Save(bitmap, path, WicSave{GUID_ContainerFormatJpeg, 0, (float)ReadQuality() / 100.0f});
}
