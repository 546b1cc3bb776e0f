// Starts a program and measures it: the time until its first window is visible, and its working set
// (GetProcessMemoryInfo) once it has settled. Then ends it. Prints one line of key=value pairs.
// Usage: start_probe PROGRAM [SETTLE_MS]
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Search {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindShownWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// User and kernel time the process has used: on a busy machine it grows less than the wall time.
double CpuMilliseconds(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: start_probe PROGRAM [SETTLE_MS]\n");
        return 1;
    }
    DWORD settle = argc > 2 ? DWORD(std::atoi(argv[2])) : 1000;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, shown;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "start_probe: cannot start %s (%lu)\n", argv[1], GetLastError());
        return 2;
    }
    Search search = {process.dwProcessId, false};
    for (int i = 0; i < 20000 && !search.found; ++i) {
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    const double cpu = CpuMilliseconds(process.hProcess);
    Sleep(settle);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!search.found) {
        std::fprintf(stderr, "start_probe: no window appeared\n");
        return 3;
    }
    std::printf("shown_ms=%.1f cpu_ms=%.1f working_set_kb=%lu peak_working_set_kb=%lu private_kb=%lu\n",
                Milliseconds(start, shown), cpu, static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024),
                static_cast<unsigned long>(memory.PagefileUsage / 1024));
    return 0;
}
