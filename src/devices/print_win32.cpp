// print_win32.cpp — the print dialog and the banded print (print_win32.h).
#include "devices/print_win32.h"

#include <commdlg.h>
#include <winspool.h>

#include <cstdio>

#include "devices/devices_ids.h"
#include "devices/printgeom.h"
#include "engine/blit.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "platform/helpviewer.h"
#include "platform/ui.h"
#include "platform/window_win32.h"

namespace {

const UINT WM_PRINT_CHOOSE = WM_APP + 1, WM_PRINT_RECOMPUTE = WM_APP + 2;

struct PrintDialog {
    Surface* image;
    HDC printer;
    PrintPage page;
    int outW, outH;
    HBITMAP preview;
};

BOOL CALLBACK AbortWhileEscape(HDC, int) { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) ? FALSE : TRUE; }

// Without any printer the system's dialog has nothing to offer and the user would
// be asked again and again: one message instead, and back to the program.
int AnyPrinter() {
    DWORD need = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &need, &count);
    return need > 0;
}

void SayNoPrinter(HWND owner) {
    ui_SetStatus(" No Printer Installed.");
    MessageBoxA(owner, "No printer is installed.\nAdd a printer to the system, then print again.", "Printer Error!!",
                MB_OK | MB_ICONWARNING);
}

void DropPrinter(PrintDialog* p) {
    if (p->printer) DeleteDC(p->printer);
    p->printer = nullptr;
}

// The system's print dialog until a printer that takes bitmaps is chosen or the
// user cancels.
void ChoosePrinter(HWND dlg, PrintDialog* p) {
    DropPrinter(p);
    for (;;) {
        ui_SetStatus(" Searching for Printers...");
        PRINTDLGA pd{};
        pd.lStructSize = sizeof pd;
        pd.hwndOwner = dlg;
        pd.Flags = PD_RETURNDC;
        pd.nCopies = 1;
        pd.nFromPage = pd.nToPage = 1;
        if (!PrintDlgA(&pd) || !pd.hDC) {
            // Cancelled: the dialog stays for another try. Refused (the printers went
            // away): there is nothing to try.
            if (CommDlgExtendedError() != 0) {
                SayNoPrinter(dlg);
                EndDialog(dlg, 0);
            }
            break;
        }
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
        ui_SetStatus(" Checking Printer...");
        if (GetDeviceCaps(pd.hDC, RASTERCAPS) & RC_DIBTODEV) {
            p->printer = pd.hDC;
            SetAbortProc(p->printer, AbortWhileEscape);
            PostMessageA(dlg, WM_PRINT_RECOMPUTE, 0, 0);
            break;
        }
        MessageBoxA(dlg, "Selected printer can't print images.", "Printer Error!", MB_OK | MB_ICONWARNING);
        DeleteDC(pd.hDC);
    }
}

HBITMAP MakePreview(HWND control, const PrintDialog* p) {
    RECT r;
    GetClientRect(control, &r);
    Surface s{};
    if (r.right < 1 || r.bottom < 1 || !srf_CreateExact((uint32_t)r.right, (uint32_t)r.bottom, &s)) return nullptr;
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    drw_FillRect(&s, 0, 0, r.right - 1, r.bottom - 1, (GetRValue(back) << 16 | GetGValue(back) << 8 | GetBValue(back)));
    int paper[4], image[4];
    prn_PreviewBoxes(r.right, r.bottom, p->page, p->outW, p->outH, paper, image);
    if (paper[2] > 0 && paper[3] > 0) {
        drw_FillRect(&s, paper[0], paper[1], paper[0] + paper[2] - 1, paper[1] + paper[3] - 1, 0x00FFFFFF);
        srf_Unlock(&s);
        if (image[2] > 0 && image[3] > 0 && srf_Refresh(p->image))
            blt_BlendSmooth(&s, image[0], image[1], image[0] + image[2] - 1, image[1] + image[3] - 1, p->image, 0, 0,
                            (int)p->image->width - 1, (int)p->image->height - 1, BLT_OPAQUE | BLT_CHECKER);
        srf_Lock(&s);
        drw_RectBlend(&s, paper[0], paper[1], paper[0] + paper[2] - 1, paper[1] + paper[3] - 1, 0x80000000u);
    }
    srf_Unlock(&s);
    // The control takes the bitmap; the surface lets go of it.
    return (HBITMAP)srf_Detach(&s);
}

void Recompute(HWND dlg, PrintDialog* p) {
    if (!p->printer) {
        ChoosePrinter(dlg, p);
        if (!p->printer) return;
    }
    ui_SetStatus(" Calculating Dimensions...");
    p->page = {GetDeviceCaps(p->printer, HORZRES), GetDeviceCaps(p->printer, VERTRES),
               (double)GetDeviceCaps(p->printer, LOGPIXELSX), (double)GetDeviceCaps(p->printer, LOGPIXELSY)};
    int fit = PRINT_FIT;
    for (int i = 0; i < 4; i++)
        if (IsDlgButtonChecked(dlg, IDC_PRINT_FIT0 + i) == BST_CHECKED) fit = i;
    srf_Refresh(p->image);
    prn_OutputSize(p->page, (int)p->image->width, (int)p->image->height, (PrintFit)fit,
                   GetDlgItemInt(dlg, IDC_PRINT_WIDTH, nullptr, FALSE),
                   GetDlgItemInt(dlg, IDC_PRINT_HEIGHT, nullptr, FALSE), &p->outW, &p->outH);
    HBITMAP fresh = MakePreview(GetDlgItem(dlg, IDC_PRINT_PREVIEW), p);
    HBITMAP old = (HBITMAP)SendDlgItemMessageA(dlg, IDC_PRINT_PREVIEW, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)fresh);
    if (old && old != fresh) DeleteObject(old);
    if (p->preview && p->preview != old) DeleteObject(p->preview);
    p->preview = fresh;
    char text[96];
    prn_PaperText(p->page, text, sizeof text);
    SetDlgItemTextA(dlg, IDC_PRINT_INFO, text);
}

void Print(HWND dlg, PrintDialog* p) {
    Recompute(dlg, p);
    if (!p->printer) return;
    int brighten = IsDlgButtonChecked(dlg, IDC_PRINT_BRIGHTEN) == BST_CHECKED;
    ui_SetStatus(" Initializing Printer...");
    char name[201] = "Kelvara";
    HWND owner = GetWindow(dlg, GW_OWNER);
    if (owner) GetWindowTextA(owner, name, sizeof name);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name;
    if (StartDocA(p->printer, &doc) > 0 && StartPage(p->printer) > 0 &&
        PrintImageBands(p->printer, p->page.width, p->page.height, p->image, p->outW, p->outH, brighten)) {
        ui_SetStatus(" Finalizing PRINT Job...");
        EndPage(p->printer);
        EndDoc(p->printer);
        DropPrinter(p);
        ui_SetStatus(" Image sent to Printer.");
        EndDialog(dlg, 1);
        return;
    }
    AbortDoc(p->printer);
    DropPrinter(p);
    ui_SetStatus(" ERROR PRINTING!!!...");
    MessageBoxA(dlg, "Printer failed to initialize.\nPlease check printer settings.", "Printer Error!!",
                MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK PrintProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    PrintDialog* p = (PrintDialog*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        ui_SetStatus(" Initializing Engine...");
        wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));
        SetDlgItemTextA(dlg, IDC_PRINT_WIDTH, "120");
        SetDlgItemTextA(dlg, IDC_PRINT_HEIGHT, "90");
        CheckRadioButton(dlg, IDC_PRINT_FIT0, IDC_PRINT_FIT0 + 3, IDC_PRINT_FIT0 + 1);
        CheckDlgButton(dlg, IDC_PRINT_BRIGHTEN, BST_CHECKED);
        PostMessageA(dlg, WM_PRINT_RECOMPUTE, 0, 0);
        return TRUE;
    case WM_PRINT_CHOOSE: ChoosePrinter(dlg, p); return TRUE;
    case WM_PRINT_RECOMPUTE: Recompute(dlg, p); return TRUE;
    case WM_HELP: help_OpenPage("printer.htm"); return TRUE;  // F1
    case WM_COMMAND: {
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK) Print(dlg, p);
        else if (id == IDHELP) help_OpenPage("printer.htm");
        else if (id == IDC_PRINT_CONFIGURE) PostMessageA(dlg, WM_PRINT_CHOOSE, 0, 0);
        else if (id == IDCANCEL) {
            DropPrinter(p);
            MessageBeep(MB_ICONEXCLAMATION);
            ui_SetStatus(" Printing Cancelled...");
            EndDialog(dlg, 0);
        } else if ((id >= IDC_PRINT_FIT0 && id <= IDC_PRINT_FIT0 + 3 && code == BN_CLICKED) ||
                   ((id == IDC_PRINT_WIDTH || id == IDC_PRINT_HEIGHT) && code == EN_CHANGE)) {
            if (p->printer) PostMessageA(dlg, WM_PRINT_RECOMPUTE, 0, 0);
        }
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

int ShowPrintDialog(Surface* image, HWND owner) {
    if (!AnyPrinter()) {
        SayNoPrinter(owner);
        return 0;
    }
    PrintDialog p{};
    p.image = image;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINT), owner, PrintProc, (LPARAM)&p);
    DropPrinter(&p);
    if (p.preview) DeleteObject(p.preview);
    return r == 1;
}

int PrintImageBands(HDC printer, int pageW, int pageH, Surface* image, int outW, int outH, int brighten) {
    ui_SetStatus(" PRINTING...");
    if (!srf_Refresh(image) || outW < 1 || outH < 1) return 0;
    Surface band{};
    if (!srf_CreateExact((uint32_t)outW, PRINT_BAND_ROWS, &band)) return 0;
    srf_Unlock(&band);
    PrintPage page = {pageW, pageH, 0, 0};
    int left, top;
    prn_Margins(page, outW, outH, &left, &top);
    uint8_t table[256];
    prn_BrightnessTable(table);
    SetStretchBltMode(printer, HALFTONE);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = outW;
    bmi.bmiHeader.biHeight = -PRINT_BAND_ROWS;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    int ok = 1;
    for (int k = 0; ok && PRINT_BAND_ROWS * k < outH; k++) {
        if (srf_Lock(&band)) {
            drw_FillRect(&band, 0, 0, outW - 1, PRINT_BAND_ROWS - 1, 0x00FFFFFF);
            srf_Unlock(&band);
        }
        int y = PRINT_BAND_ROWS * k;
        blt_BlendSmooth(&band, 0, -y, outW - 1, outH - y - 1, image, 0, 0, (int)image->width - 1,
                        (int)image->height - 1, BLT_OPAQUE | BLT_CHECKER);
        if (brighten) srf_ApplyTables(&band, 0, 0, outW - 1, PRINT_BAND_ROWS - 1, table, table, table, nullptr);
        uint32_t* px = srf_Lock(&band);
        ok = px && SetDIBitsToDevice(printer, left, top + y, (DWORD)outW, PRINT_BAND_ROWS, 0, 0, 0, PRINT_BAND_ROWS,
                                     px, &bmi, DIB_RGB_COLORS) > 0;
        if (px) srf_Unlock(&band);
        char text[48];
        std::snprintf(text, sizeof text, " PRINTING, %i%% Done.", (int)(12800LL * k / outH));
        ui_SetStatus(text);
    }
    if (ok) {
        Sleep(120);
        GdiFlush();
    }
    srf_Destroy(&band);
    return ok;
}
