// The main window's geometry at 100 to 200 %: controls, drag area, pictures, grab point and fixed places.
#include <gtest/gtest.h>

#include "app/MainLayout.h"

namespace {
std::string Show(const IntRect& r) {
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

bool Same(const IntRect& a, const IntRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(MainLayout, ScalesWithTheDpiAndKeeps96DpiAsItWas) {
    // A 200 x 400 client area. The grab point puts the drag cursor's hot spot (size / 2 - 1) where its copy
    // of the handle (at size / 4) covers the handle: 32, 40, 48 and 64 pixel cursors.
    const struct {
        int dpi, pictureScale;
        IntRect list, handle, strip, area;
        HandleGrab grab;
    } cases[] = {
        {96, 100, {28, 0, 190, 390}, {10, 0, 26, 16}, {10, 16, 26, 390}, {10, 0, 26, 390}, {16, 17, 7}},
        {120, 125, {35, 0, 187, 387}, {13, 0, 33, 20}, {13, 20, 33, 387}, {13, 0, 33, 387}, {20, 22, 9}},
        {144, 150, {42, 0, 185, 385}, {15, 0, 39, 24}, {15, 24, 39, 385}, {15, 0, 39, 385}, {24, 26, 11}},
        {192, 200, {56, 0, 180, 380}, {20, 0, 52, 32}, {20, 32, 52, 380}, {20, 0, 52, 380}, {32, 35, 15}},
        // 175 %: no picture is drawn for it; the 150 % one sits in the handle's corner.
        {168, 150, {49, 0, 182, 382}, {18, 0, 46, 28}, {18, 28, 46, 382}, {18, 0, 46, 382}, {28, 29, 11}},
    };
    for (const auto& c : cases) {
        MainLayout got = LayOutMainWindow(200, 400, c.dpi);
        EXPECT_EQ(got.pictureScale, c.pictureScale) << c.dpi;
        EXPECT_TRUE(Same(got.list, c.list)) << c.dpi << " list " << Show(got.list);
        EXPECT_TRUE(Same(got.handle, c.handle)) << c.dpi << " handle " << Show(got.handle);
        EXPECT_TRUE(Same(got.strip, c.strip)) << c.dpi << " strip " << Show(got.strip);
        EXPECT_TRUE(Same(got.dragArea, c.area)) << c.dpi << " area " << Show(got.dragArea);
        EXPECT_EQ(got.grab.rowBottom, c.grab.rowBottom) << c.dpi;
        EXPECT_EQ(got.grab.x, c.grab.x) << c.dpi;
        EXPECT_EQ(got.grab.y, c.grab.y) << c.dpi;
    }
}

TEST(MainLayout, TheFindFieldTakesTheListsColumnOnly) {
    for (int dpi : {96, 120, 144, 168, 192}) {
        MainLayout hidden = LayOutMainWindow(200, 400, dpi), shown = LayOutMainWindow(200, 400, dpi, true);
        EXPECT_TRUE(Same(shown.handle, hidden.handle)) << dpi;
        EXPECT_TRUE(Same(shown.strip, hidden.strip)) << dpi;
        EXPECT_TRUE(Same(shown.dragArea, hidden.dragArea)) << dpi;
        EXPECT_EQ(shown.grab.x, hidden.grab.x) << dpi;
        EXPECT_EQ(shown.grab.y, hidden.grab.y) << dpi;
        EXPECT_EQ(hidden.find.right - hidden.find.left, 0) << dpi;
        // Over the list's column, and the list below it down to where it ended.
        EXPECT_EQ(shown.find.left, hidden.list.left) << dpi;
        EXPECT_EQ(shown.find.right, hidden.list.right) << dpi;
        EXPECT_GE(shown.find.bottom - shown.find.top, ScaleForDpi(20, dpi)) << dpi;
        EXPECT_GT(shown.list.top, shown.find.bottom) << dpi;
        EXPECT_EQ(shown.list.bottom, hidden.list.bottom) << dpi;
        EXPECT_EQ(shown.list.left, hidden.list.left) << dpi;
    }
}

} // namespace
