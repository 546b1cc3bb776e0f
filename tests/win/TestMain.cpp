// The Windows test program: an application object like the real one, without claiming the instance.
#include <gtest/gtest.h>

#include "framework/WinApp.h"

namespace {
class TestApp : public CWinApp {};
TestApp theApp;

std::string ModulePath() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}
} // namespace

int main(int argc, char** argv) {
    theApp.m_hInstance = GetModuleHandleA(nullptr);
    theApp.m_modulePath = ModulePath();
    theApp.m_appName = "Pelmar";
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
