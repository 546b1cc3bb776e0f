// The framework's modal dialog loop.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "framework/Wnd.h"
#include "resource.h"

namespace {

TEST(Dialog, ModalLoopEndsWithTheButtonsResult) {
    const struct {
        const char* name;
        void (*press)(HWND box);
        INT_PTR result;
    } cases[] = {
        {"OK", [](HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }, IDOK},
        {"close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"Esc", [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); }, IDCANCEL},
        // Destroyed from outside, as when its owner goes first: the loop must not wait for it.
        {"destroyed", [](HWND box) { DestroyWindow(box); }, IDCANCEL},
    };
    for (const auto& c : cases) {
        CDialog about(IDD_ABOUTBOX);
        HWND seen = nullptr;
        WhenDialogAppears("About Pelmar", [&](HWND box) {
            seen = box;
            c.press(box);
        });
        EXPECT_EQ(about.DoModal(), c.result) << c.name;
        EXPECT_TRUE(seen) << c.name;
        EXPECT_FALSE(IsWindow(seen)) << c.name;
        EXPECT_EQ(about.GetSafeHwnd(), nullptr) << c.name;
        CancelDialogActions();
    }
}

} // namespace
