// The drag gesture and the timer steps that type the dropped entries into the target.
#include "deliver/Delivery.h"

#include <algorithm>
#include <vector>

#include "deliver/WindowsInput.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
IntRect ToIntRect(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}

int BoxOfField(int field) {
    if (field == kLoginField)
        return IDC_LOGIN_LIST;
    return field == kPasswordField ? IDC_PASSWORD_LIST : IDC_LIST;
}
} // namespace

void Delivery::SetModes(int sendMode, int separatorMode) {
    m_job.sendMode = sendMode;
    m_job.separatorMode = separatorMode;
}

void Delivery::OnButtonDown(POINT p, bool loginList) {
    if (!Contains(ToIntRect(m_dragArea), p.x, p.y))
        return;
    m_loginList = loginList;
    m_drop.fieldSelector = FieldForPress(ToIntRect(m_dragArea), p.x, p.y, loginList);
    POINT cursor;
    GetCursorPos(&cursor);
    Offset shift = PointerShiftForPress(p.x, p.y, m_grab);
    m_savedCursor = SetCursor(m_dragCursor);
    // Warp only when the pointer is not there yet: under Wine a warp while the button is held ends X's
    // implicit grab, and the release over another program would never reach us.
    if (shift.dx || shift.dy)
        SetCursorPos(cursor.x + shift.dx, cursor.y + shift.dy);
    // With the capture the release reaches us wherever on the screen it happens.
    SetCapture(m_window.Window());
    m_dragging = true;
}

bool Delivery::OnButtonUp(POINT p) {
    if (!m_dragging)
        return true;
    m_dragging = false;
    SetCursor(m_savedCursor);
    ReleaseCapture();
    // Caption, menu and frame count as the window too: a release there sends nothing.
    HWND window = m_window.Window();
    RECT rect;
    GetWindowRect(window, &rect);
    ScreenToClient(window, reinterpret_cast<POINT*>(&rect.left));
    ScreenToClient(window, reinterpret_cast<POINT*>(&rect.right));
    if (PtInRect(&rect, p))
        return false;
    Start(p);
    return true;
}

// The release outside the window: hand the selection over, hide, and start the steps.
void Delivery::Start(POINT p) {
    HWND window = m_window.Window();
    HWND list = GetDlgItem(window, IDC_LIST);
    std::vector<int> selected = SelectedIndices(list, int(kMaxSelection));
    // Nothing selected (or an empty list): nothing to type, so the window need not go away at all.
    if (selected.empty())
        return;
    std::copy(selected.begin(), selected.end(), m_drop.selection);
    m_drop.selectionCount = UINT(selected.size());
    ClientToScreen(window, &p);
    m_drop.dropPoint = p;
    m_job.count = m_drop.selectionCount;
    m_job.selection = m_drop.selection;
    m_job.position = 0;
    m_job.dropX = p.x;
    m_job.dropY = p.y;
    m_job.field = m_drop.fieldSelector;
    m_job.loginList = m_loginList;
    m_window.HideToTray();
    SetTimer(window, kChainClick, kClickDelay, nullptr);
    SetTimer(window, kChainSend, kSendDelay, nullptr);
    // Our window must not hold the activation when the click activates the target.
    SetActiveWindow(nullptr);
}

bool Delivery::OnTimer(UINT_PTR id) {
    WindowsInput input(m_window.Window());
    switch (id) {
    case kChainClick: ClickStep(m_job, input); return true;
    case kChainAfterEntry: Arm(AfterEntryStep(m_job, input)); return true;
    case kChainFinish: m_window.ShowAfterDelivery(); return true;
    case kChainSend: break;
    default: return false;
    }
    HWND window = m_window.Window();
    EntrySource source = [window](int index, int field, std::string& text) {
        HWND box = GetDlgItem(window, BoxOfField(field));
        if (!ListBoxHasEntry(box, index))
            return false;
        text = ListBoxText(box, index);
        return true;
    };
    Arm(SendStep(m_job, source, input));
    return true;
}

void Delivery::Arm(NextStep next) {
    SetTimer(m_window.Window(), next.timer, next.delay, nullptr);
}
