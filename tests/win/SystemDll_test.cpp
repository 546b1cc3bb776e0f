// System DLLs loaded on first use: found in the system folder only, typed by their header's declaration.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "framework/SystemDll.h"

namespace {

TEST(SystemDll, FunctionsComeFromTheSystemFolderOrNotAtAll) {
    EXPECT_TRUE(SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW"));
    EXPECT_FALSE(SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "NoSuchFunction"));
    EXPECT_FALSE(SystemFunction<decltype(&GetOpenFileNameW)>(L"no-such-library.dll", "GetOpenFileNameW"));

    // Called through its typed pointer it behaves as declared: there is no such icon to delete.
    auto notify = SystemFunction<decltype(&Shell_NotifyIconA)>(L"shell32.dll", "Shell_NotifyIconA");
    ASSERT_TRUE(notify);
    NOTIFYICONDATAA none = {};
    none.cbSize = NOTIFYICONDATAA_V1_SIZE;
    none.uID = 77;
    EXPECT_FALSE(notify(NIM_DELETE, &none));

    // A DLL beside the program or in the current folder is never the one loaded.
    TempDir dir;
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string original = std::string(system) + "\\comdlg32.dll";
    const std::string besideProgram = TestProgramFolder() + "pelmar-planted.dll";
    ASSERT_TRUE(CopyFileA(original.c_str(), dir.File("pelmar-planted.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(original.c_str(), besideProgram.c_str(), FALSE));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(dir.Path().c_str());
    EXPECT_FALSE(SystemFunction<decltype(&GetOpenFileNameW)>(L"pelmar-planted.dll", "GetOpenFileNameW"));
    SetCurrentDirectoryA(current);
    DeleteFileA(besideProgram.c_str());
}

} // namespace
