// The drag gesture and the drop: a press on the handle captures the mouse, a release outside the window
// hands the selection and the release point to the delivery engine.
#include "app/ListDlg.h"

#include "deliver/DeliveryPlan.h"
#include "resource.h"

static_assert(kMaxDropEntries == int(kMaxSelection), "the drop's array holds every index asked for");

namespace {
IntRect ToIntRect(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

// The release outside the window: hand the selection over, hide, and start the delivery's timers.
void Drop(CListDlg& dlg, POINT p) {
    HWND list = dlg.ListBox(IDC_LIST);
    DropHandOver& drop = dlg.State().drop;
    unsigned count = CapSelectionCount(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    // Nothing selected (or an empty list): nothing to type, so the window need not go away at all.
    if (count == 0)
        return;
    LRESULT got =
        SendMessageA(list, LB_GETSELITEMS, kMaxDropEntries, reinterpret_cast<LPARAM>(drop.selection));
    drop.selectionCount = CapSelectionCount(got < LRESULT(count) ? got : LRESULT(count));
    drop.position = 0;
    ClientToScreen(dlg.m_hWnd, &p);
    drop.dropPoint = p;
    dlg.HideToTray();
    SetTimer(dlg.m_hWnd, kClickTimer, kClickDelay, nullptr);
    SetTimer(dlg.m_hWnd, kSendTimer, kSendDelay, nullptr);
    // Our window must not hold the activation when the click activates the target.
    SetActiveWindow(nullptr);
}
} // namespace

void CListDlg::OnLButtonDown(POINT p) {
    if (!Contains(ToIntRect(m_state.dragArea), p.x, p.y))
        return;
    m_state.drop.fieldSelector =
        FieldForPress(ToIntRect(m_state.dragArea), p.x, p.y, m_state.listKind == kLoginList);
    POINT cursor;
    GetCursorPos(&cursor);
    Offset shift = PointerShiftForPress(p.x, p.y);
    m_state.savedCursor = SetCursor(m_state.dragCursor);
    // Warp only when the pointer is not there yet: under Wine a warp while the button is held ends X's
    // implicit grab, and the release over another program would never reach us.
    if (shift.dx || shift.dy)
        SetCursorPos(cursor.x + shift.dx, cursor.y + shift.dy);
    // With the capture the release reaches us wherever on the screen it happens.
    SetCapture(m_hWnd);
    m_state.dragging = true;
}

bool CListDlg::OnLButtonUp(POINT p) {
    if (!m_state.dragging)
        return true;
    m_state.dragging = false;
    SetCursor(m_state.savedCursor);
    ReleaseCapture();

    RECT window;
    GetWindowRect(m_hWnd, &window);
    if (window.left > 0)
        m_state.restoreRect = window;
    // Caption, menu and frame count as the window too: a release there sends nothing.
    ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&window.left));
    ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&window.right));
    if (PtInRect(&window, p))
        return false;
    Drop(*this, p);
    return true;
}
