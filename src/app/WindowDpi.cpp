// The DPI a window is shown at, and the drag column's pictures and the drag cursor loaded for it.
#include "app/WindowDpi.h"

#include <utility>

#include "app/MainLayout.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
// Functions that Windows 7 lacks are looked up when needed; nullptr where there is none.
template <typename Function> Function User32Function(const char* name) {
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

struct ScaledPictures {
    int scale, handle, cursor;
};
const ScaledPictures kPictures[] = {
    {100, IDB_DRAG_HANDLE, IDC_DRAG_CURSOR},
    {125, IDB_DRAG_HANDLE_125, IDC_DRAG_CURSOR_125},
    {150, IDB_DRAG_HANDLE_150, IDC_DRAG_CURSOR_150},
    {200, IDB_DRAG_HANDLE_200, IDC_DRAG_CURSOR_200},
};

const ScaledPictures& PicturesFor(int scale) {
    for (const ScaledPictures& p : kPictures)
        if (p.scale == scale)
            return p;
    return kPictures[0];
}

HANDLE LoadPicture(int id, UINT type, int width, int height) {
    return LoadImageA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(id), type, width, height, LR_DEFAULTCOLOR);
}

void ShowBitmap(HWND dialog, int id, HBITMAP bitmap) {
    SendDlgItemMessageA(dialog, id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}
} // namespace

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT own = getDpiForWindow ? getDpiForWindow(window) : 0;
    if (own)
        return int(own);
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

void KeepDialogLayoutOnDpiChange(HWND dialog) {
    using SetBehaviour = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    static const auto setBehaviour = User32Function<SetBehaviour>("SetDialogDpiChangeBehavior");
    const auto own = DIALOG_DPI_CHANGE_BEHAVIORS(DDC_DISABLE_RESIZE | DDC_DISABLE_CONTROL_RELAYOUT);
    if (setBehaviour)
        setBehaviour(dialog, own, own);
}

DragPictures::~DragPictures() {
    if (m_handle)
        DeleteObject(m_handle);
    if (m_strip)
        DeleteObject(m_strip);
    if (m_cursor)
        DestroyCursor(m_cursor);
}

void DragPictures::Show(HWND dialog, int pictureScale, int stripWidth) {
    const ScaledPictures& pictures = PicturesFor(pictureScale);
    const int cursorSize = 2 * HandlePictureSize(pictures.scale);
    // The pictures shown so far go once the new ones are in place.
    DragPictures previous;
    std::swap(previous.m_handle, m_handle);
    std::swap(previous.m_strip, m_strip);
    std::swap(previous.m_cursor, m_cursor);
    // Each file holds one size: loaded at it, nothing is stretched. Height 0 keeps the strip's own.
    m_handle = static_cast<HBITMAP>(LoadPicture(pictures.handle, IMAGE_BITMAP, 0, 0));
    m_strip = static_cast<HBITMAP>(LoadPicture(IDB_DRAG_STRIP, IMAGE_BITMAP, stripWidth, 0));
    m_cursor = static_cast<HCURSOR>(LoadPicture(pictures.cursor, IMAGE_CURSOR, cursorSize, cursorSize));
    ShowBitmap(dialog, IDC_DRAG_HANDLE, m_handle);
    ShowBitmap(dialog, IDC_DRAG_STRIP, m_strip);
}
