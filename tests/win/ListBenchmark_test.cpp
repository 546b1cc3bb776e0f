// Load and save times of large lists through the real list boxes; printed, never asserted.
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
        double load = 0, save = 0;
        int loaded = 0;
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
            loaded = int(SendMessageA(dlg.GetDlgItem(IDC_LIST), LB_GETCOUNT, 0, 0));
        });
        EXPECT_EQ(loaded, count);
        EXPECT_EQ(ReadFileBytes(file), bytes);
        std::printf("[ bench    ] %d entries (%zu bytes): load %.3f s, save %.3f s\n", count, bytes.size(),
                    load, save);
    }
}
} // namespace
