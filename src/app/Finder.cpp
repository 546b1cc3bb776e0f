// Find: filtering the list as the user types, and the keys of the field.
#include "app/Finder.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
// Up to this many entries the list follows every key stroke at once; a longer list is filled again once
// the typing pauses, so that keys are not held up behind a refill.
constexpr size_t kInstantEntries = 20000;
constexpr UINT kTypingPauseMs = 120;

bool Held(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The keys an edit field takes for its own with Ctrl held; the program's shortcuts on them wait for the list.
bool EditKeyWithControl(WPARAM key) {
    switch (key) {
    case 'A': case 'C': case 'V': case 'X': case 'Z': case VK_INSERT: case VK_DELETE: case VK_BACK:
    case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END: return true;
    default: return false;
    }
}

} // namespace

void Finder::Attach(HWND dialog) {
    m_dialog = dialog;
    SendMessageW(Field(), EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"Find"));
}

HWND Finder::Field() const {
    return GetDlgItem(m_dialog, IDC_FIND);
}

HWND Finder::List() const {
    return GetDlgItem(m_dialog, IDC_LIST);
}

void Finder::Show() {
    m_shown = true;
    ShowWindow(Field(), SW_SHOW);
    SetFocus(Field());
    SendMessageW(Field(), EM_SETSEL, 0, -1);
}

void Finder::Hide() {
    SetWindowTextW(Field(), L"");
    ApplyFilter();
    m_shown = false;
    ShowWindow(Field(), SW_HIDE);
    SetFocus(List());
}

void Finder::OnTextChanged() {
    if (m_files.Model().Size() <= kInstantEntries) {
        ApplyFilter();
        return;
    }
    m_pending = true;
    SetTimer(m_dialog, kTimer, kTypingPauseMs, nullptr);
}

// Narrowing selects the first match; clearing keeps the entries that were selected.
void Finder::ApplyFilter() {
    if (m_pending)
        KillTimer(m_dialog, kTimer);
    m_pending = false;
    ListModel& model = m_files.Model();
    HWND list = List();
    std::vector<size_t> selected = SelectedEntries(list, model, int(model.ShownCount()));
    if (!model.SetFilter(GetWindowTextString(Field())))
        return;
    FillListBox(list, model);
    if (model.Filtered()) {
        if (model.ShownCount() > 0)
            SelectEntry(m_dialog, 0);
        return;
    }
    for (size_t index : selected)
        SendMessageW(list, LB_SETSEL, TRUE, LPARAM(index));
    if (!selected.empty())
        SendMessageW(list, LB_SETCARETINDEX, WPARAM(selected.front()), FALSE);
}

void Finder::MoveSelection(int step) {
    int count = int(m_files.Model().ShownCount());
    if (count == 0)
        return;
    int at = LowestSelectedIndex(List());
    int next = at < 0 ? 0 : at + step;
    SelectEntry(m_dialog, next < 0 ? 0 : next >= count ? count - 1 : next);
}

FinderKey Finder::Route(const MSG& msg, UINT& command) {
    if (!m_shown || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN))
        return FinderKey::Normal;
    bool inField = msg.hwnd == Field();
    if (msg.wParam == VK_ESCAPE && msg.message == WM_KEYDOWN) {
        if (GetWindowTextLengthW(Field()) > 0)
            return FinderKey::Hide;
        command = ID_ESCAPE; // no filter: Pelmar goes, as ever
        return FinderKey::Command;
    }
    if (!inField)
        return FinderKey::Normal;
    if (m_pending) // the keys below act on the list the typed text asks for
        ApplyFilter();
    bool control = Held(VK_CONTROL), alt = Held(VK_MENU) || msg.message == WM_SYSKEYDOWN;
    switch (msg.wParam) {
    case VK_RETURN:
        if (control || alt)
            return FinderKey::Normal;
        command = Held(VK_SHIFT) ? ID_SEND_PREVIOUS_PASSWORD : ID_SEND_PREVIOUS;
        return FinderKey::Command;
    case VK_UP:
    case VK_DOWN:
        if (control || alt)
            return FinderKey::Normal;
        MoveSelection(msg.wParam == VK_UP ? -1 : +1);
        return FinderKey::Handled;
    default: break;
    }
    if (alt)
        return FinderKey::Normal;
    return !control || EditKeyWithControl(msg.wParam) ? FinderKey::ToField : FinderKey::Normal;
}
