// Rectangles and points of the main window in client pixels, shared by its layout and the drag gesture.
#pragma once

struct IntRect {
    int left, top, right, bottom;
};
// Left and top inclusive, right and bottom exclusive.
inline bool Contains(const IntRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The handle's row (client y below rowBottom) and the client point a press there moves the pointer to, where
// the drag cursor's picture covers the handle; these are the values at 96 DPI.
struct HandleGrab {
    int rowBottom = 16;
    int x = 17, y = 7;
};
