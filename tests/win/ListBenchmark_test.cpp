// Load, save and Find times of large lists through the real list box; printed, never asserted.
#include <gtest/gtest.h>

#include <cstdio>

#include "ListFileDrivers.h"

namespace {
double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

TEST(ListBenchmark, LoadAndSaveLargeLists) {
    for (int count : {10000, 100000}) {
        TempDir dir;
        std::string bytes;
        for (int i = 0; i < count; ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "entry %07d of a benchmark list\r\n", i); // 32 bytes with CR LF
            bytes += line;
        }
        std::string ini = drivers::StartWith(dir, "start.txt", "x\r\n");
        std::string file = dir.File("big.txt");
        WriteFileBytes(file, bytes);
        double load = 0, save = 0, narrow = 0, widen = 0;
        int loaded = 0, found = 0;
        RunMainDialog(ini, [&](CListDlg& dlg) {
            LARGE_INTEGER t0, t1, t2;
            std::string name = file;
            QueryPerformanceCounter(&t0);
            dlg.Files().Load(name, kPlainList);
            QueryPerformanceCounter(&t1);
            dlg.Files().Save(SaveMode::InPlace);
            QueryPerformanceCounter(&t2);
            load = Seconds(t0, t1);
            save = Seconds(t1, t2);
            HWND list = dlg.GetDlgItem(IDC_LIST);
            loaded = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
            // Find: from the typed text to the list box showing the matches, and back to the whole list
            // (a long list waits for a pause in the typing first).
            dlg.ShowFinder();
            QueryPerformanceCounter(&t0);
            SetWindowTextW(dlg.GetDlgItem(IDC_FIND), L"ENTRY 0001234");
            PumpUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 1; }, 30000);
            QueryPerformanceCounter(&t1);
            found = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
            SetWindowTextW(dlg.GetDlgItem(IDC_FIND), L"");
            PumpUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == count; }, 30000);
            QueryPerformanceCounter(&t2);
            narrow = Seconds(t0, t1);
            widen = Seconds(t1, t2);
        });
        EXPECT_EQ(found, 1);
        EXPECT_EQ(loaded, count);
        EXPECT_EQ(ReadFileBytes(file), bytes);
        std::printf("[ bench    ] %d entries (%zu bytes): load %.3f s, save %.3f s, find %.3f s, "
                    "clear the find %.3f s\n",
                    count, bytes.size(), load, save, narrow, widen);
    }
}
} // namespace
