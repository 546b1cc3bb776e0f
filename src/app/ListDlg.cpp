// The main dialog: set-up, placement, layout, message dispatch to its parts, and the window's small commands.
#include "app/ListDlg.h"

#include <algorithm>

#include "app/MainLayout.h"
#include "app/OptionsDlg.h"
#include "app/SmallCommands.h"
#include "app/WindowDpi.h"
#include "crypt/PasswordDlg.h"
#include "deliver/Copy.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "list/FileDialog.h"
#include "list/ItemEditing.h"
#include "list/ItemList.h"
#include "list/Reorder.h"
#include "resource.h"
#include "settings/Settings.h"

namespace {
// A saved value is in the screen's own pixels; a default, like the fixed places, is designed at 96 DPI.
int RectangleSetting(IntSetting setting, int dpi) {
    return IsSettingSaved(setting) ? ReadSetting(setting) : ScaleForDpi(RuleOf(setting).defaultValue, dpi);
}

Placement PlacementForMode(int windowMode, int dpi) {
    if (windowMode == 3) {
        // Hand-edited values may be anything: clamped, right and bottom can't overflow.
        WindowBox box = ClampWindowBox(
            {RectangleSetting(IntSetting::Left, dpi), RectangleSetting(IntSetting::Top, dpi),
             RectangleSetting(IntSetting::Width, dpi), RectangleSetting(IntSetting::Height, dpi)});
        return {box.x, box.y, box.width, box.height};
    }
    return FixedModePlacement(windowMode, dpi);
}

// A saved rectangle that no monitor shows would put the window where nobody can reach it:
// bring it onto the nearest monitor's work area, keeping its size where it fits.
Placement KeepOnScreen(Placement p) {
    RECT rect = {p.x, p.y, p.x + p.width, p.y + p.height};
    if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        return p;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        return p;
    const RECT& work = info.rcWork;
    p.width = std::min<int>(p.width, work.right - work.left);
    p.height = std::min<int>(p.height, work.bottom - work.top);
    p.x = std::max<int>(work.left, std::min<int>(p.x, work.right - p.width));
    p.y = std::max<int>(work.top, std::min<int>(p.y, work.bottom - p.height));
    return p;
}

void AddAboutToSystemMenu(HWND window) {
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    char about[256] = {};
    if (systemMenu && LoadStringA(AfxGetApp()->m_hInstance, IDS_ABOUTBOX, about, sizeof about) > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
}

void SaveWindowPosition(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    WriteSetting(IntSetting::Left, rect.left);
    WriteSetting(IntSetting::Top, rect.top);
    WriteSetting(IntSetting::Width, rect.right - rect.left);
    WriteSetting(IntSetting::Height, rect.bottom - rect.top);
    WriteSetting(IntSetting::WinMode, 3);
}

HINSTANCE Instance() {
    return AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleA(nullptr);
}

void MoveControl(HWND dialog, int id, const IntRect& r) {
    MoveWindow(GetDlgItem(dialog, id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}
} // namespace

CListDlg::CListDlg() : CDialog(IDD_PELMAR_DIALOG) {
    m_bigIcon = LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_PELMAR));
}

BOOL CListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutToSystemMenu(m_hWnd);
    m_tray.SetUpIcons(m_hWnd, m_bigIcon);
    m_previousWindow.Start();
    m_finder.Attach(m_hWnd);
    m_starting = true;
    m_files.LoadStartupList();
    m_dpi = WindowDpi(m_hWnd);
    KeepDialogLayoutOnDpiChange(m_hWnd);
    ShowDragPictures();
    m_delivery.SetModes(SendMethod(ReadSetting(IntSetting::Clip)),
                        EntrySeparator(ReadSetting(IntSetting::Cr)));
    m_delivery.SetKeyDelay(ReadSetting(IntSetting::KeyDelay));
    m_delivery.SetRestoreClipboard(ReadSetting(IntSetting::RestoreClip) != 0);
    m_modes.startMode = ReadSetting(IntSetting::Tray);
    if (m_modes.startMode > 0)
        SetTimer(m_hWnd, kTrayStartTimer, 20, nullptr);
    PlaceWindow();
    ApplyHotKey(false);
    m_starting = false;
    return TRUE;
}

void CListDlg::PlaceWindow() {
    m_modes.windowMode = ReadSetting(IntSetting::WinMode);
    Placement p = PlacementForMode(m_modes.windowMode, m_dpi);
    if (m_modes.windowMode == 3)
        p = KeepOnScreen(p);
    SetWindowPos(m_hWnd, HWND_TOPMOST, p.x, p.y, p.width, p.height, SWP_SHOWWINDOW);
    m_tray.SetRestoreRect({p.x, p.y, p.x + p.width, p.y + p.height});
}

BOOL CListDlg::PreTranslateMessage(MSG* msg) {
    if (!m_accelerators)
        m_accelerators = LoadAcceleratorsA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_ACCELERATOR));
    UINT command = 0;
    switch (m_finder.Route(*msg, command)) {
    case FinderKey::Handled: return TRUE;
    case FinderKey::Hide: HideFinder(); return TRUE;
    case FinderKey::Command: SendMessageW(m_hWnd, WM_COMMAND, command, 0); return TRUE;
    case FinderKey::ToField: return CDialog::PreTranslateMessage(msg);
    case FinderKey::Normal: break;
    }
    if (m_accelerators && TranslateAcceleratorW(m_hWnd, m_accelerators, msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

bool CListDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    POINT point = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    switch (msg) {
    case WM_QUERYDRAGICON: result = reinterpret_cast<LRESULT>(m_bigIcon); return true;
    case WM_LBUTTONDOWN: m_delivery.OnButtonDown(point, m_files.Kind()); return false;
    case WM_LBUTTONUP: return OnLButtonUp(point);
    case WM_TIMER: OnTimer(wParam); return false;
    case WM_SIZE: OnSize(UINT(wParam)); return wParam == SIZE_MINIMIZED;
    case WM_SYSCOMMAND: return OnSysCommand(wParam);
    // Not handled: the dialog manager still scales the fonts.
    case WM_DPICHANGED: OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return false;
    // While keys are still being sent, the window comes back without taking them from the target.
    case kTrayCallbackMessage:
        result = m_tray.OnNotify(m_hWnd, lParam, !m_delivery.Running());
        AfterTrayRestore();
        return true;
    case WM_RENDERFORMAT: m_delivery.OnRenderFormat(UINT(wParam)); return true;
    case WM_RENDERALLFORMATS: m_delivery.OnRenderAllFormats(); return true;
    case WM_DESTROYCLIPBOARD: m_delivery.OnDestroyClipboard(); return true;
    case WM_HOTKEY: OnHotKey(); return true;
    case WM_DESTROY: m_hotKey.Unregister(m_hWnd); return false;
    case kFillListMessage: ShowEntries(); return true;
    default: break;
    }
    // A registered message has no constant id to switch on.
    if (msg == TaskbarCreatedMessage()) {
        m_tray.OnTaskbarCreated(m_hWnd);
        return true;
    }
    return CDialog::OnMessage(msg, wParam, lParam, result);
}

bool CListDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case ID_FILE_OPEN: m_files.Open(); return true;
    case ID_FILE_NEW: m_files.New(); return true;
    case ID_LOAD_LOGIN_FILE: m_files.LoadLoginFile(); return true;
    case ID_FILE_SAVE_AS: m_files.SaveAs(); return true;
    case ID_ENCRYPTED_NEW: m_files.EncryptedNew(); return true;
    case ID_ENCRYPTED_OPEN: m_files.EncryptedOpen(); return true;
    case ID_ENCRYPTED_SAVE_AS: m_files.EncryptedSaveAs(); return true;
    case ID_PROTECTED_NEW: m_files.ProtectedNew(); return true;
    case ID_PROTECTED_OPEN: m_files.ProtectedOpen(); return true;
    case ID_PROTECTED_SAVE_AS: m_files.ProtectedSaveAs(); return true;
    case ID_PROTECT_LOGIN_FILE: m_files.ProtectLoginFile(); return true;
    case ID_IMPORT_LOGINS: m_files.ImportLogins(); return true;
    case ID_ADD_ITEM: AddItem(m_hWnd, m_files); return true;
    case ID_MODIFY_ITEM: ModifyItem(m_hWnd, m_files); return true;
    case ID_DELETE_ITEM: DeleteItem(m_hWnd, m_files); return true;
    case ID_MOVE_UP: MoveSelectedEntry(m_hWnd, -1, m_files); return true;
    case ID_MOVE_DOWN: MoveSelectedEntry(m_hWnd, +1, m_files); return true;
    case ID_COPY_ALT:
    case ID_COPY:
        CopySelectedEntries(m_hWnd, GetDlgItem(IDC_LIST), m_delivery.SeparatorMode(), m_files.Model(), m_files.Kind());
        return true;
    case ID_SEND_PREVIOUS: SendToPrevious(FieldFor(m_files.Kind(), false)); return true;
    case ID_SEND_PREVIOUS_PASSWORD: SendToPrevious(FieldFor(m_files.Kind(), true)); return true;
    case ID_SEND_LOGIN_PASSWORD: SendToPrevious(kLoginAndPassword); return true;
    case IDM_ABOUTBOX: ShowAboutBox(); return true;
    case ID_HELP_CONTENTS: OpenHelpContents(m_hWnd, m_tray); return true;
    case ID_NOTEPAD: OpenNotepad(m_hWnd, m_tray, m_files.Kind()); return true;
    case ID_TRAY: HideToTray(); return true;
    case ID_ESCAPE: OnEscape(); return true;
    case ID_FIND: ShowFinder(); return true;
    case ID_SAVE_WINDOW_POSITION: SaveWindowPosition(m_hWnd); return true;
    case ID_OPTIONS: OnOptions(); return true;
    case ID_APP_EXIT: OnCancel(); return true;
    case IDC_FIND:
        if (code == EN_CHANGE)
            m_finder.OnTextChanged();
        return code == EN_CHANGE;
    case IDC_LIST:
        if (code == LBN_DBLCLK)
            OnListDoubleClick(m_hWnd, m_files.Kind());
        return code == LBN_DBLCLK;
    default: return CDialog::OnCommand(id, code, control);
    }
}

void CListDlg::OnSize(UINT type) {
    if (type == SIZE_MINIMIZED)
        return;
    SetTimer(m_hWnd, kLayoutTimer, 300, nullptr);
}

void CListDlg::OnTimer(UINT_PTR id) {
    KillTimer(m_hWnd, id);
    if (id == kLayoutTimer)
        LayOutControls();
    else if (id == kTrayStartTimer)
        HideToTray();
    else if (id == Finder::kTimer)
        m_finder.OnTimer();
    else
        m_delivery.OnTimer(id);
}

void CListDlg::LayOutControls() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    MainLayout layout =
        LayOutMainWindow(client.right - client.left, client.bottom - client.top, m_dpi, m_finder.Shown());
    MoveControl(m_hWnd, IDC_LIST, layout.list);
    MoveControl(m_hWnd, IDC_FIND, layout.find);
    MoveControl(m_hWnd, IDC_DRAG_HANDLE, layout.handle);
    MoveControl(m_hWnd, IDC_DRAG_STRIP, layout.strip);
    const IntRect& area = layout.dragArea;
    m_delivery.SetDragArea({area.left, area.top, area.right, area.bottom}, layout.grab);
}

// Setting a picture resizes its static: a layout must follow.
void CListDlg::ShowDragPictures() {
    MainLayout layout = LayOutMainWindow(0, 0, m_dpi);
    m_pictures.Show(m_hWnd, layout.pictureScale, layout.strip.right - layout.strip.left);
    m_delivery.SetDragCursor(m_pictures.Cursor());
}

// The window moved to a monitor of another scale, or the scale changed: take the suggested place.
void CListDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    m_dpi = dpi;
    ShowDragPictures();
    SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutControls();
}

// Restored by the user from the tray: the list has the focus, without a filter a hot-key visit left.
void CListDlg::AfterTrayRestore() {
    if (m_finder.Shown() && !m_visit.active && !m_delivery.Running() && GetForegroundWindow() == m_hWnd)
        HideFinder();
}

void CListDlg::ShowFinder() {
    bool wasShown = m_finder.Shown();
    m_finder.Show();
    if (!wasShown)
        LayOutControls();
}

void CListDlg::HideFinder() {
    m_finder.Hide();
    LayOutControls();
}

// Esc with no filter: the field goes with the window, which comes back with the list focused; back to
// where the hot key found Pelmar, or to the tray.
void CListDlg::OnEscape() {
    if (m_finder.Shown())
        HideFinder();
    LeaveVisit() || OnSysCommand(SC_MINIMIZE);
}

bool CListDlg::OnSysCommand(WPARAM command) {
    switch (command & 0xFFF0) {
    case IDM_ABOUTBOX: ShowAboutBox(); return true;
    case SC_MINIMIZE: HideToTray(); return true;
    default: return false;
    }
}

bool CListDlg::OnLButtonUp(POINT client) {
    if (m_delivery.Dragging())
        m_tray.RememberPlace(m_hWnd);
    return m_delivery.OnButtonUp(client);
}

void CListDlg::OnOptions() {
    OptionsChoice choice = {m_modes.windowMode,    m_modes.startMode,     m_delivery.SeparatorMode(),
                            m_delivery.SendMode(), m_delivery.KeyDelay(), m_delivery.RestoresClipboard()};
    choice.hotKeyState = m_hotKey.State();
    int previousHotKey = ReadSetting(IntSetting::HotKey);
    if (!ChangeOptions(m_hWnd, choice))
        return;
    // The mirrors change at once, so the next delivery already uses the new modes.
    m_modes = {choice.startMode, choice.windowMode};
    m_delivery.SetModes(SendMethod(choice.sendMode), EntrySeparator(choice.separatorMode));
    m_delivery.SetKeyDelay(choice.keyDelay);
    m_delivery.SetRestoreClipboard(choice.restoreClipboard);
    ApplyHotKey(choice.hotKey != previousHotKey);
}

void CListDlg::Tell(const std::string& text, MessageIcon icon) {
    UINT type = MB_OK | (icon == MessageIcon::Error ? MB_ICONHAND : MB_ICONEXCLAMATION);
    ShowMessageBox(text.c_str(), type, m_hWnd, "Pelmar");
}

bool CListDlg::Confirm(const std::string& text) {
    return ShowMessageBox(text.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, m_hWnd, "Pelmar") == IDYES;
}

bool CListDlg::ChooseListFile(const char* title, FileChoice choice, std::string& name) {
    return ::ChooseListFile(m_hWnd, title, choice, name);
}

bool CListDlg::AskPassword(PasswordMode mode, std::string& password) {
    return ::AskPassword(mode, password);
}

bool CListDlg::AskFilePassword(PasswordMode mode, const std::string& file, std::string& password) {
    return ::AskPassword(mode, file, password);
}

// A long list read at start-up fills the list box after the window shows: the window comes sooner.
void CListDlg::ShowEntries() {
    constexpr size_t kFillAfterShowing = 5000;
    if (m_starting && m_files.Model().ShownCount() > kFillAfterShowing) {
        PostMessageW(m_hWnd, kFillListMessage, 0, 0);
        return;
    }
    FillListBox(GetDlgItem(IDC_LIST), m_files.Model());
}

void CListDlg::SelectItem(int index) {
    long view = m_files.Model().ViewIndex(size_t(index));
    if (view >= 0)
        SelectEntry(m_hWnd, int(view));
}

std::vector<int> CListDlg::SelectedEntries() const {
    std::vector<int> entries;
    for (size_t index : ::SelectedEntries(::GetDlgItem(m_hWnd, IDC_LIST), m_files.Model(), int(kMaxSelection)))
        entries.push_back(int(index));
    return entries;
}

bool CListDlg::EntryText(int index, int field, std::string& text) const {
    const std::vector<ListEntry>& entries = m_files.Model().Entries();
    if (index < 0 || size_t(index) >= entries.size())
        return false;
    const ListEntry& entry = entries[size_t(index)];
    text = field == kLoginField ? entry.login : field == kPasswordField ? entry.password : entry.text;
    return true;
}

// Enter in the list ends the program, unless the hot key brought Pelmar up: then it types into the target.
void CListDlg::OnOK() {
    if (m_visit.active)
        SendToPrevious(FieldFor(m_files.Kind(), GetKeyState(VK_SHIFT) < 0));
    else
        CDialog::OnOK();
}

// Registers the hot key of the settings. Another program holding it is told once per key, and again when
// the user has just chosen that key in Options.
void CListDlg::ApplyHotKey(bool tellAlways) {
    int hotKey = ReadSetting(IntSetting::HotKey);
    HotKeyState state = m_hotKey.Register(m_hWnd, hotKey);
    int told = ReadSetting(IntSetting::HotKeyTold);
    if (state == HotKeyState::Registered && told != 0)
        WriteSetting(IntSetting::HotKeyTold, 0);
    if (state != HotKeyState::Taken || (told == hotKey && !tellAlways))
        return;
    WriteSetting(IntSetting::HotKeyTold, hotKey);
    Tell(HotKeyTakenMessage(hotKey), MessageIcon::Warning);
}

void CListDlg::OnHotKey() {
    HWND front = GetForegroundWindow();
    DWORD frontProcess = 0;
    GetWindowThreadProcessId(front, &frontProcess);
    bool ours = front && frontProcess == GetCurrentProcessId();
    if (m_visit.active && front == m_hWnd)
        EndVisit();
    else
        BringUpFor(ours || !front ? m_previousWindow.Target() : front);
}

void CListDlg::BringUpForHandOver() { BringUpFor(m_previousWindow.Target()); }

void CListDlg::BringUpFor(HWND target) {
    // The rest of a delivery's keys must never land here.
    if (m_delivery.Running() || m_delivery.Dragging())
        return;
    // One of our dialogs or boxes is open: it is what the user must answer first.
    if (!IsWindowEnabled(m_hWnd)) {
        SetForegroundWindow(GetLastActivePopup(m_hWnd));
        return;
    }
    if (!m_visit.active) {
        m_visit.fromTray = !IsWindowVisible(m_hWnd);
        if (m_visit.fromTray)
            m_visit.before = m_tray.RestoreRect();
        else
            GetWindowRect(m_hWnd, &m_visit.before);
    }
    m_visit.active = true;
    m_visit.target = target;
    m_visit.focus = ForegroundTracker::FocusedControlOf(target);
    m_visit.title = ForegroundTracker::WindowTitle(target);
    m_tray.SetRestoreRect(PlaceOnMonitorOf(target, m_visit.before));
    m_tray.Restore(m_hWnd, true);
    FocusForHotKey();
}

void CListDlg::FocusForHotKey() {
    HWND list = ::GetDlgItem(m_hWnd, IDC_LIST);
    if (SendMessageW(list, LB_GETSELCOUNT, 0, 0) == 0 && SendMessageW(list, LB_GETCOUNT, 0, 0) > 0)
        SelectEntry(m_hWnd, 0);
    ShowFinder();
}

// The hot key again: as Esc, the filter goes first, while Pelmar still holds the keyboard.
void CListDlg::EndVisit() {
    if (m_finder.Shown())
        HideFinder();
    LeaveVisit();
}

// Esc or the hot key again: the target gets the keyboard back and Pelmar goes back to where it was.
bool CListDlg::LeaveVisit() {
    if (!m_visit.active)
        return false;
    m_visit.active = false;
    if (m_visit.target && IsWindow(m_visit.target))
        BringToFront(m_visit.target);
    PutBack();
    return true;
}

// Back to the tray, or shown at the old place without taking the keyboard.
void CListDlg::PutBack() {
    if (m_visit.fromTray) {
        if (IsWindowVisible(m_hWnd))
            m_tray.Hide(m_hWnd);
        m_tray.SetRestoreRect(m_visit.before);
        return;
    }
    m_tray.SetRestoreRect(m_visit.before);
    m_tray.Restore(m_hWnd, false);
}

void CListDlg::SendToPrevious(int field) {
    if (!m_visit.active) {
        m_delivery.SendToPreviousWindow(m_files.Kind(), field);
        return;
    }
    // The filter stays: the next hot key shows it selected, so typing starts a new search and Esc clears it.
    m_visit.active = false;
    m_visit.returning = true;
    m_delivery.SendToWindow(m_visit.target, m_visit.focus, m_visit.title, m_files.Kind(), field);
    // Nothing selected: still waiting for Enter. A target gone: the user was told, Pelmar stays.
    m_visit.active = !m_delivery.Running() && IsWindowVisible(m_hWnd) && GetForegroundWindow() == m_hWnd &&
                     m_visit.target && IsWindow(m_visit.target);
    m_visit.returning = m_delivery.Running();
}

void CListDlg::ShowAfterDelivery() {
    if (!m_visit.returning) {
        m_tray.Restore(m_hWnd, false);
        return;
    }
    m_visit.returning = false;
    PutBack();
}
