// exreport.cpp — the exception report.
#include "safety/exreport.h"
#include "platform/ui.h"
#include "safety/runlog.h"

namespace {

CaughtException g_caught;

const unsigned MB_SETFOREGROUND_FLAG = 0x10000;  // a Win32 flag the seam passes through
const unsigned REPORT_BOX = UI_OK | UI_ICONWARNING | UI_TASKMODAL | MB_SETFOREGROUND_FLAG | UI_TOPMOST;

struct CodeText {
    uint32_t code;
    const char* text;
};
const CodeText DESCRIPTIONS[] = {
    {0x80000002u, " **Datatype Misaligned**"},
    {0x80000003u, " **Breakpoint**"},
    {0x80000004u, " **Trace Single Step**"},
    {0xC0000006u, " **In-page Error**"},
    {0xC000001Du, " **Illegal Instruction**"},
    {0xC0000025u, " **Noncontinuable Exception**"},
    {0xC0000026u, " **Invalid Disposition**"},
    {0xC000008Cu, " **Array Bounds Exceeded**"},
    {0xC000008Du, " **Denormal Float Operand**"},
    {0xC000008Eu, " **Float Divide By Zero**"},
    {0xC000008Fu, " **Float Inexact Result**"},
    {0xC0000090u, " **Float Invalid Operation**"},
    {0xC0000091u, " **Float Overflow**"},
    {0xC0000092u, " **Float Stack O/U-flow**"},
    {0xC0000093u, " **Float Underflow**"},
    {0xC0000094u, " **Integer Divide By Zero**"},
    {0xC0000095u, " **Integer Overflow**"},
    {0xC0000096u, " **Priviledged Instruction**"},
    {0xC00000FDu, " **Stack Overflow**"},
};
const uint32_t ACCESS_VIOLATION = 0xC0000005u;

}  // namespace

void exr_SetCaught(const CaughtException& e) { g_caught = e; }
const CaughtException& exr_Caught() { return g_caught; }

const char* exr_Describe(const CaughtException& e, uint64_t* value) {
    *value = 0;
    if (e.code == ACCESS_VIOLATION) {
        *value = e.information[1];
        return e.information[0] == 0 ? " **Access Violation - Reading**"
                                     : " **Access Violation - Writing**";
    }
    for (const CodeText& d : DESCRIPTIONS)
        if (d.code == e.code) return d.text;
    *value = e.code;
    return " **Unknown Exception/Error**";
}

int ReportException() {
    const CaughtException e = g_caught;
    log_EntryAddress("An error occurred at", e.address, 0);
    uint64_t value;
    const char* text = exr_Describe(e, &value);
    log_EntryAddress(text, value, 0);
    ui_Tone(4000, 300);
    ui_Tone(400, 300);
    ui_Tone(4000, 300);
    if (e.flags & EXR_NONCONTINUABLE)
        ui_MessageBox("Fatal Error, cannot continue...\nSee Kelvara.log for details.", "Fatal Error",
                      REPORT_BOX);
    else
        ui_MessageBox("Error, trying to continue execution...\nSee Kelvara.log for details.",
                      "Non-Fatal Error", REPORT_BOX);
    ui_MessageBox(text, "Error Description", REPORT_BOX);
    return 1;
}
