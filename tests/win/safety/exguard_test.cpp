// The exception guard under real faults: reads and writes of bad addresses and an
// integer division by zero are caught, reported with the right texts and values, and
// later calls are guarded as before; exceptions outside a guard are left alone.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>
#include "safety/exguard.h"
#include "safety/exreport.h"
#include "safety/runlog.h"
#include "support/ui_script.h"
#include "support/scratch.h"

namespace {

volatile int* volatile g_bad = (volatile int*)(uintptr_t)0x1230;
volatile int g_sink;
volatile int g_zero = 0;
volatile int g_numerator = 17;

__attribute__((noinline)) void ReadFault(void*) { g_sink = *g_bad; }
__attribute__((noinline)) void WriteFault(void*) { g_bad[1] = 5; }
__attribute__((noinline)) void DivideFault(void*) { g_sink = g_numerator / g_zero; }
__attribute__((noinline)) void RaiseUnknown(void*) { RaiseException(0xC0001234u, 0, 0, nullptr); }
__attribute__((noinline)) void RaiseCustomer(void*) { RaiseException(0xE0005678u, 0, 0, nullptr); }
void SetOne(void* p) { *(int*)p = 1; }
void Thrower(void*) { throw 42; }

// True when `address` lies in the first bytes of function `fn`.
bool Inside(uint64_t address, void (*fn)(void*)) {
    uint64_t start = (uint64_t)(uintptr_t)fn;
    return address >= start && address < start + 64;
}

std::string Hex(uint64_t v) {
    char buf[32];
    if (v <= 0xFFFFFFFFu)
        std::snprintf(buf, sizeof buf, "%#08x", (unsigned)v);
    else
        std::snprintf(buf, sizeof buf, "%#08llx", (unsigned long long)v);
    return buf;
}


int g_filterCalls;
LONG WINAPI CountingFilter(EXCEPTION_POINTERS*) {
    g_filterCalls++;
    return EXCEPTION_CONTINUE_EXECUTION;  // the raised exception was continuable
}

}  // namespace

TEST(ExceptionGuard, ReadWriteAndDivideFaultsAreCaughtAndReported) {
    Scratch s("kvguard");
    log_NewRun();
    const struct {
        void (*fn)(void*);
        uint32_t code;
        bool write;
        const char* what;
    } faults[] = {{ReadFault, 0xC0000005u, false, " **Access Violation - Reading** : 0x001230, 00000000"},
                  {WriteFault, 0xC0000005u, true, " **Access Violation - Writing** : 0x001234, 00000000"},
                  {DivideFault, 0xC0000094u, false, " **Integer Divide By Zero** : 00000000, 00000000"}};
    for (const auto& f : faults) {
        uiscript_Reset();
        ASSERT_EQ(exg_Call(f.fn, nullptr), 0);
        const CaughtException e = exr_Caught();
        EXPECT_EQ(e.code, f.code);
        EXPECT_EQ(e.information[0] != 0, f.write) << f.what;
        EXPECT_TRUE(Inside(e.address, f.fn)) << f.what;
        ReportException();
        EXPECT_EQ(s.LogTail(), (std::vector<std::string>{"An error occurred at : " + Hex(e.address) + ", 00000000", f.what}));
        ASSERT_EQ(uiscript_Boxes().size(), 2u);
        EXPECT_EQ(uiscript_Boxes()[0].title, "Non-Fatal Error");
    }
}

TEST(ExceptionGuard, LaterCallsAreGuardedAsBefore) {
    for (int i = 0; i < 500; i++) {
        ASSERT_EQ(exg_Call(i % 2 ? WriteFault : DivideFault, nullptr), 0) << i;
        int value = 0;
        ASSERT_EQ(exg_Call(SetOne, &value), 1);
        ASSERT_EQ(value, 1);
    }
    // Raised by software with a code of no table row: caught, reported as unknown.
    EXPECT_EQ(exg_Call(RaiseUnknown, nullptr), 0);
    EXPECT_EQ(exr_Caught().code, 0xC0001234u);
}

TEST(ExceptionGuard, GuardsNestAndTheInnerOneCatchesFirst) {
    struct Outer {
        static void Run(void* p) {
            int* steps = (int*)p;
            if (exg_Call(WriteFault, nullptr) == 0) *steps += 1;  // inner guard caught it
            *steps += 10;                                          // and we carry on here
            ReadFault(nullptr);                                   // the outer guard's turn
            *steps += 100;
        }
    };
    int steps = 0;
    EXPECT_EQ(exg_Call(Outer::Run, &steps), 0);
    EXPECT_EQ(steps, 11);
    EXPECT_EQ(exr_Caught().information[0], 0u);  // the read, caught by the outer guard
}

TEST(ExceptionGuard, OtherExceptionsPassThrough) {
    // A C++ exception is not the guard's business.
    int caught = 0;
    try {
        exg_Call(Thrower, nullptr);
    } catch (int v) {
        caught = v;
    }
    EXPECT_EQ(caught, 42);

    // Outside any guard, and application codes inside one, reach the process's last
    // handler untouched.
    CaughtException before{};
    before.code = 0x12345678u;
    exr_SetCaught(before);
    LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(CountingFilter);
    g_filterCalls = 0;
    RaiseException(0xC0000094u, 0, 0, nullptr);
    EXPECT_EQ(g_filterCalls, 1);
    EXPECT_EQ(exg_Call(RaiseCustomer, nullptr), 1);  // it continued and returned
    EXPECT_EQ(g_filterCalls, 2);
    SetUnhandledExceptionFilter(old);
    EXPECT_EQ(exr_Caught().code, 0x12345678u);
}
