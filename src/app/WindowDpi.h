// The DPI a window is shown at, and the drag column's pictures and the drag cursor loaded for it.
#pragma once
#include <windows.h>

// The window's DPI; the system's before Windows 10, where windows have none of their own.
int WindowDpi(HWND window);

// The dialog manager would scale the dialog and move its controls on a DPI change; the window places itself
// at the suggested rectangle and lays out its own controls instead. It still scales the fonts.
void KeepDialogLayoutOnDpiChange(HWND dialog);

// The handle picture, the strip (stretched across to the column's width) and the drag cursor, drawn for
// one scale and shown in the dialog's handle and strip. Owned here; the next Show replaces them.
class DragPictures {
  public:
    DragPictures() = default;
    DragPictures(const DragPictures&) = delete;
    DragPictures& operator=(const DragPictures&) = delete;
    ~DragPictures();

    void Show(HWND dialog, int pictureScale, int stripWidth);
    HCURSOR Cursor() const { return m_cursor; }

  private:
    HBITMAP m_handle = nullptr;
    HBITMAP m_strip = nullptr;
    HCURSOR m_cursor = nullptr;
};
