// exguard_win32.cpp — the guard as a real exception frame (MinGW GCC has no
// __try/__except): a small assembly trampoline calls the function under a frame
// whose language handler is ExgFrameHandler. When an exception reaches that frame
// (no inner handler took it), the handler copies the record and unwinds to the
// landing label inside the trampoline, which returns 0, just as the system does for
// an __except block.
#include "safety/exguard.h"
#include <windows.h>
#include <cstring>
#include "safety/exreport.h"

extern "C" int exg_Trampoline(ExgFunction fn, void* arg);
extern "C" EXCEPTION_DISPOSITION ExgFrameHandler(EXCEPTION_RECORD* record, void* frame,
                                                  CONTEXT* context, DISPATCHER_CONTEXT* dispatch);
extern "C" char exg_Landing[];

// int exg_Trampoline(fn, arg): rbp-framed so the unwinder restores our frame exactly;
// 32 bytes of argument home space for the callee.
asm(".text\n"
    ".globl exg_Trampoline\n"
    ".def exg_Trampoline; .scl 2; .type 32; .endef\n"
    ".seh_proc exg_Trampoline\n"
    "exg_Trampoline:\n"
    "  pushq %rbp\n"
    "  .seh_pushreg %rbp\n"
    "  movq %rsp, %rbp\n"
    "  .seh_setframe %rbp, 0\n"
    "  subq $32, %rsp\n"
    "  .seh_stackalloc 32\n"
    "  .seh_endprologue\n"
    "  .seh_handler ExgFrameHandler, @except\n"
    "  movq %rcx, %rax\n"
    "  movq %rdx, %rcx\n"
    "  call *%rax\n"
    "  movl $1, %eax\n"
    "  jmp 1f\n"
    ".globl exg_Landing\n"
    "exg_Landing:\n"
    "  xorl %eax, %eax\n"
    "1:\n"
    "  addq $32, %rsp\n"
    "  popq %rbp\n"
    "  ret\n"
    ".seh_endproc\n");

namespace {

// Processor and system faults: severity "error" without the customer bit, and the
// three warning-class codes the report knows (misalignment, breakpoint, single step).
// Everything else (C++ exceptions, debug output, RPC codes) is somebody else's.
int IsCaught(DWORD code) {
    if ((code & 0xE0000000u) == 0xC0000000u) return 1;
    return code == 0x80000002u || code == 0x80000003u || code == 0x80000004u;
}

}  // namespace

extern "C" EXCEPTION_DISPOSITION ExgFrameHandler(EXCEPTION_RECORD* record, void* frame,
                                                  CONTEXT* context, DISPATCHER_CONTEXT* dispatch) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;  // an unwind passing through, ours or another's
    if (!IsCaught(record->ExceptionCode)) return ExceptionContinueSearch;

    CaughtException e{};
    e.code = record->ExceptionCode;
    e.flags = record->ExceptionFlags;
    e.address = (uint64_t)(uintptr_t)record->ExceptionAddress;
    DWORD count = record->NumberParameters;
    if (count > EXCEPTION_MAXIMUM_PARAMETERS) count = EXCEPTION_MAXIMUM_PARAMETERS;
    e.parameterCount = count;
    for (DWORD i = 0; i < count; i++) e.information[i] = record->ExceptionInformation[i];
    exr_SetCaught(e);

    CONTEXT scratch;
    RtlUnwindEx(frame, (void*)exg_Landing, record, nullptr, &scratch, dispatch->HistoryTable);
    return ExceptionContinueSearch;  // not reached: the unwind resumes at exg_Landing
}

int exg_Call(ExgFunction fn, void* arg) {
    if (!fn) return 1;
    return exg_Trampoline(fn, arg);
}
