// The shared instance table with real processes: eight copies started at once all
// get a slot, exactly one of them is first, and the table is empty once they end.
// (Broadcasts between running copies are driven end to end.)
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/instances.h"
#include "support/win_driver_win32.h"

namespace {

std::string HelperPath() { return TestProgramFolder() + "\\kv_instance_helper.exe"; }

}  // namespace

TEST(InstancesWin32, EightCopiesStartingAtOnceEachGetTheirOwnSlot) {
    const int N = 8;
    std::string base = "KvTest.Instances." + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, (base + ".go").c_str());
    HANDLE ready = CreateSemaphoreA(nullptr, 0, N, (base + ".ready").c_str());
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, (base + ".stop").c_str());
    ASSERT_TRUE(go && ready && stop);
    // The test looks at the table without being in it.
    ASSERT_EQ(inst_Attach(base.c_str()), 1);

    std::string helper = HelperPath();
    std::vector<PROCESS_INFORMATION> procs;
    std::vector<uint32_t> pids;
    for (int i = 0; i < N; i++) {
        std::string cmd = "\"" + helper + "\" " + base;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessA(helper.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi))
            << helper;
        procs.push_back(pi);
        pids.push_back(pi.dwProcessId);
    }
    SetEvent(go);  // all of them race for the table now
    for (int i = 0; i < N; i++) ASSERT_EQ(WaitForSingleObject(ready, 60000), WAIT_OBJECT_0) << i;

    EXPECT_EQ(inst_Count(), (uint32_t)N);
    uint32_t ids[INST_SLOTS];
    int n = inst_CopyIds(ids, INST_SLOTS);
    std::vector<uint32_t> got(ids, ids + n);
    std::sort(got.begin(), got.end());
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(got, pids);

    SetEvent(stop);
    int firsts = 0, others = 0;
    for (PROCESS_INFORMATION& pi : procs) {
        ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        if (code == 11) firsts++;
        if (code == 10) others++;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    EXPECT_EQ(firsts, 1);
    EXPECT_EQ(others, N - 1);
    EXPECT_EQ(inst_Count(), 0u);
    EXPECT_EQ(inst_CopyIds(ids, INST_SLOTS), 0);
    inst_Detach();
    CloseHandle(go);
    CloseHandle(ready);
    CloseHandle(stop);
}
