// The main window's geometry at a DPI: where its controls go, which drawn pictures fit the drag handle, and
// the fixed places of the window modes. All of it is designed at 96 DPI and scaled.
#pragma once
#include "common/Geometry.h"

constexpr int kBaseDpi = 96;

// A length designed at 96 DPI, at dpi; rounded half up, as MulDiv rounds lengths.
int ScaleForDpi(int value, int dpi);

// The handle picture and the drag cursor come drawn for 100, 125, 150 and 200 %: the largest whose handle
// fits the handle's place at dpi, so that nothing is stretched.
int PictureScale(int dpi);
int HandlePictureSize(int pictureScale);

struct MainLayout {
    IntRect list, handle, strip, dragArea; // client pixels
    int pictureScale;
    HandleGrab grab;
    IntRect find; // the Find field, above the list; empty while it is hidden
};
// finding: the Find field is shown. It takes the top of the list's column only: the handle, the strip and
// the grab point stay where they are.
MainLayout LayOutMainWindow(int clientWidth, int clientHeight, int dpi, bool finding = false);

struct Placement {
    int x, y, width, height;
};
// The window's place in the fixed window modes: 1 the vertical one, any other the horizontal one.
Placement FixedModePlacement(int windowMode, int dpi);
