// The main window's geometry at a DPI.
#include "app/MainLayout.h"

#include <initializer_list>

int ScaleForDpi(int value, int dpi) {
    return static_cast<int>((static_cast<long long>(value) * dpi + kBaseDpi / 2) / kBaseDpi);
}

int HandlePictureSize(int pictureScale) {
    return 16 * pictureScale / 100;
}

int PictureScale(int dpi) {
    for (int scale : {200, 150, 125})
        if (HandlePictureSize(scale) <= ScaleForDpi(16, dpi))
            return scale;
    return 100;
}

MainLayout LayOutMainWindow(int w, int h, int dpi, bool finding) {
    const int margin = ScaleForDpi(10, dpi), cell = ScaleForDpi(16, dpi), listLeft = ScaleForDpi(28, dpi);
    MainLayout layout;
    layout.list = {listLeft, 0, w - margin, h - margin};
    layout.handle = {margin, 0, margin + cell, cell};
    layout.strip = {margin, cell, margin + cell, h - margin};
    layout.dragArea = {margin, 0, margin + cell, h - margin};
    layout.pictureScale = PictureScale(dpi);
    // The drag cursor's hot spot sits half a picture less one pixel right of and below its copy of the
    // handle; with the hot spot there, the copy covers the handle.
    const int toHotSpot = HandlePictureSize(layout.pictureScale) / 2 - 1;
    layout.grab = {cell, margin + toHotSpot, toHotSpot};
    layout.find = {listLeft, 0, listLeft, 0};
    if (finding) {
        const int findHeight = ScaleForDpi(22, dpi), gap = ScaleForDpi(2, dpi);
        layout.find = {listLeft, 0, w - margin, findHeight};
        layout.list.top = findHeight + gap;
    }
    return layout;
}

Placement FixedModePlacement(int windowMode, int dpi) {
    Placement p = windowMode == 1 ? Placement{400, 60, 192, 369} : Placement{57, 50, 526, 162};
    return {ScaleForDpi(p.x, dpi), ScaleForDpi(p.y, dpi), ScaleForDpi(p.width, dpi),
            ScaleForDpi(p.height, dpi)};
}
