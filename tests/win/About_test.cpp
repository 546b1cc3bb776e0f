// The About box: its version line fits its static on one line, also where the dialog font is drawn
// wider than on Windows (Wine's "MS Sans Serif").
#include <gtest/gtest.h>

#include <cstring>

#include "WinTestSupport.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "version.h"

namespace {

TEST(About, VersionLineFitsItsStatic) {
    CDialog about(IDD_ABOUTBOX);
    HWND line = nullptr;
    SIZE text = {};
    RECT room = {};
    WhenDialogAppears("About Pelmar", [&](HWND box) {
        line = FindWindowExA(box, nullptr, "Static", PELMAR_ABOUT_TEXT);
        if (line) {
            GetClientRect(line, &room);
            HDC dc = GetDC(line);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(line, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32A(dc, PELMAR_ABOUT_TEXT, int(std::strlen(PELMAR_ABOUT_TEXT)), &text);
            SelectObject(dc, old);
            ReleaseDC(line, dc);
        }
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    about.DoModal();
    CancelDialogActions();
    ASSERT_TRUE(line) << "no static shows " << PELMAR_ABOUT_TEXT;
    EXPECT_LE(text.cx, room.right) << "the version line wraps: " << text.cx << " pixels in " << room.right;
}

} // namespace
