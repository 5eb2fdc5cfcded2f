// scanner_win32.cpp — acquiring from a TWAIN source (scanner_win32.h).
//
// The few TWAIN records and codes the program uses are declared here, laid out as
// the data source manager expects them (2-byte packing).
#include "devices/scanner_win32.h"

#include <cstdio>
#include <cstring>

#include "devices/clipdib.h"
#include "engine/surface_win32.h"
#include "platform/sysio.h"
#include "platform/ui.h"

namespace {

#pragma pack(push, 2)
struct TwVersion {
    uint16_t majorNum, minorNum, language, country;
    char info[34];
};
struct TwIdentity {
    uint32_t id;
    TwVersion version;
    uint16_t protocolMajor, protocolMinor;
    uint32_t supportedGroups;
    char manufacturer[34], productFamily[34], productName[34];
};
struct TwUserInterface {
    uint16_t showUI, modalUI;
    HANDLE parent;
};
struct TwPendingXfers {
    uint16_t count;
    uint32_t eoj;
};
struct TwEvent {
    void* message;
    uint16_t tmessage;
};
#pragma pack(pop)
static_assert(sizeof(TwIdentity) == 156, "TWAIN identity layout");

typedef uint16_t(WINAPI* DsmEntry)(TwIdentity*, TwIdentity*, uint32_t, uint16_t, uint16_t, void*);

const uint32_t DG_CONTROL = 1, DG_IMAGE = 2;
const uint16_t DAT_EVENT = 2, DAT_IDENTITY = 3, DAT_PARENT = 4, DAT_PENDINGXFERS = 5, DAT_USERINTERFACE = 9,
               DAT_IMAGENATIVEXFER = 0x0104;
const uint16_t MSG_GET = 1, MSG_XFERREADY = 0x0101, MSG_CLOSEDSREQ = 0x0102, MSG_OPENDSM = 0x0301,
               MSG_CLOSEDSM = 0x0302, MSG_OPENDS = 0x0401, MSG_CLOSEDS = 0x0402, MSG_USERSELECT = 0x0403,
               MSG_DISABLEDS = 0x0501, MSG_ENABLEDS = 0x0502, MSG_PROCESSEVENT = 0x0601, MSG_ENDXFER = 0x0701;
const uint16_t TWRC_SUCCESS = 0, TWRC_DSEVENT = 4, TWRC_XFERDONE = 6;

void Fail(const char* text) { ui_MessageBox(text, "TWAIN Error", UI_OK | UI_ICONERROR); }

TwIdentity AppIdentity() {
    TwIdentity app{};
    app.version = {1, 1, 13, 1, "1.80"};
    app.protocolMajor = 1;
    app.protocolMinor = 9;
    app.supportedGroups = DG_CONTROL | DG_IMAGE;
    std::strcpy(app.manufacturer, "Orvik Lab");
    std::strcpy(app.productFamily, "Kelvara");
    std::strcpy(app.productName, "Kelvara 1.80");
    return app;
}

// Hands the source its messages until it has an image ready (1) or is closed (0).
int WaitForImage(DsmEntry dsm, TwIdentity* app, TwIdentity* src) {
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TwEvent ev = {&m, 0};
        if (dsm(app, src, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &ev) == TWRC_DSEVENT) {
            if (ev.tmessage == MSG_XFERREADY) return 1;
            if (ev.tmessage == MSG_CLOSEDSREQ) return 0;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}

// The transferred packed bitmap into `made`: checked like any foreign bitmap, then
// converted 1:1 or drawn scaled when a side is too long.
int TakeImage(HGLOBAL dib, Surface* made) {
    const uint8_t* block = (const uint8_t*)GlobalLock(dib);
    CdibLayout d;
    int ok = block && cdib_Parse(block, GlobalSize(dib), (uint64_t)32767 * 32767, &d);
    int w = ok ? d.width : 0, h = ok ? (d.height < 0 ? -d.height : d.height) : 0, tw = 0, th = 0;
    if (ok) scan_TargetSize(w, h, &tw, &th);
    // When the image cannot be had at that size the transfer is dropped.
    if (ok && !srf_CreateExact((uint32_t)tw, (uint32_t)th, made)) ok = 0;
    HDC dc;
    if (ok && srf_GetDC(&dc, nullptr, made)) {
        const BITMAPINFO* info = (const BITMAPINFO*)block;
        const void* bits = block + d.bitsOffset;
        if (tw != w || th != h) {
            ui_MessageBox("Kelvara will need to resize the scanned\nimage to usable dimensions", "Resizing Image",
                          UI_OK | UI_ICONINFORMATION);
            ui_SetStatus(" Resizing Scanned Image...");
            SetStretchBltMode(dc, HALFTONE);
            StretchDIBits(dc, 0, 0, tw, th, 0, 0, w, h, bits, info, DIB_RGB_COLORS, SRCCOPY);
        } else {
            ui_SetStatus(" Copying Scanned Image...");
            if (SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, bits, info, DIB_RGB_COLORS) == 0) {
                SetStretchBltMode(dc, COLORONCOLOR);
                StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, bits, info, DIB_RGB_COLORS, SRCCOPY);
            }
        }
        srf_ReleaseDC(&dc, made);
    }
    if (made->created) srf_Unlock(made);
    if (block) GlobalUnlock(dib);
    GlobalFree(dib);
    return ok;
}

}  // namespace

void scan_TargetSize(int w, int h, int* outW, int* outH) {
    *outW = w;
    *outH = h;
    if (w <= 4096 && h <= 4096) return;
    if (w >= h) {
        *outW = 4096;
        *outH = (int)((int64_t)h * 4096 / w);
    } else {
        *outH = 4096;
        *outW = (int)((int64_t)w * 4096 / h);
    }
    if (*outW < 1) *outW = 1;
    if (*outH < 1) *outH = 1;
}

HMODULE scan_LoadManager(const char* const* folders, int count, FARPROC* entry) {
    // The 64-bit manager first: a 64-bit program cannot load the classic 32-bit one
    // of a 64-bit Windows.
    static const char* const kManagers[] = {"TWAINDSM.DLL", "TWAIN_32.DLL"};
    *entry = nullptr;
    const char* tried = kManagers[1];
    HMODULE lib = nullptr;
    for (const char* name : kManagers) {
        for (int i = 0; i < count && !lib; i++) {
            char path[KV_MAX_PATH];
            const int n = std::snprintf(path, sizeof path, "%s\\%s", folders[i], name);
            // By full path only, so that no other folder is searched for it.
            if (n > 0 && n < (int)sizeof path) lib = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
        if (lib) {
            tried = name;
            break;
        }
    }
    char text[96];
    if (!lib) {
        std::snprintf(text, sizeof text, "An error occurred while loading %s.", tried);
        Fail(text);
        return nullptr;
    }
    *entry = GetProcAddress(lib, "DSM_Entry");
    if (!*entry) {
        std::snprintf(text, sizeof text, "%s is either missing or inaccessible.", tried);
        Fail(text);
        FreeLibrary(lib);
        return nullptr;
    }
    return lib;
}

int AcquireFromScanner(HWND owner, Surface* made) {
    char system[KV_MAX_PATH], windows[KV_MAX_PATH];
    const UINT ns = GetSystemDirectoryA(system, sizeof system), nw = GetWindowsDirectoryA(windows, sizeof windows);
    const char* folders[2];
    int count = 0;
    if (ns && ns < sizeof system) folders[count++] = system;
    if (nw && nw < sizeof windows) folders[count++] = windows;
    return scan_AcquireThrough(folders, count, owner, made);
}

int scan_AcquireThrough(const char* const* folders, int count, HWND owner, Surface* made) {
    *made = Surface{};
    ui_SetStatus(" Searching for TWAIN...");
    FARPROC entry = nullptr;
    HMODULE lib = scan_LoadManager(folders, count, &entry);
    if (!lib) {
        ui_SetStatus(" Scanning Error!!");
        return 0;
    }
    DsmEntry dsm = (DsmEntry)(void*)entry;
    ui_SetStatus(" Opening Data Source Manager...");
    TwIdentity app = AppIdentity(), src{};
    HWND parent = owner;
    if (dsm(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) != TWRC_SUCCESS) {
        Fail("No TWAIN-compatible devices were detected.");
        FreeLibrary(lib);
        ui_SetStatus(" Scanning Error!!");
        return 0;
    }
    int ok = 0, opened = 0;
    ui_SetStatus(" Locating and opening Data Source...");
    if (dsm(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &src) != TWRC_SUCCESS ||
        dsm(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &src) != TWRC_SUCCESS) {
        Fail("An error occurred while linking to the device.");
    } else {
        opened = 1;
        ui_SetStatus(" Preparing Data Source for transfer...");
        TwUserInterface ui = {1, 0, owner};
        if (dsm(&app, &src, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) {
            Fail("The operation was cancelled.");
        } else {
            if (WaitForImage(dsm, &app, &src)) {
                ui_SetStatus(" TRANSFERRING IMAGE DATA, Please Wait...");
                HGLOBAL dib = nullptr;
                if (dsm(&app, &src, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib) == TWRC_XFERDONE && dib) {
                    ui_SetStatus(" Post-processing transferred data...");
                    ok = TakeImage(dib, made);
                }
                TwPendingXfers pending{};
                dsm(&app, &src, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
            }
            dsm(&app, &src, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
        }
    }
    if (opened) {
        ui_SetStatus(" Closing TWAIN Data Source...");
        dsm(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &src);
    }
    ui_SetStatus(" Closing TWAIN Data Source Manager...");
    dsm(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    FreeLibrary(lib);
    ui_SetStatus(ok ? " Scanning Completed Successfully!!" : " Scanning Error!!");
    if (!ok && made->created) srf_Destroy(made);
    return ok;
}
