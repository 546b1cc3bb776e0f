// The main dialog: set-up, message dispatch, layout after a resize, timers and Save Window Position.
#include "app/ListDlg.h"

#include "app/Settings.h"
#include "framework/Wipe.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {
CListDlg* g_listDlg = nullptr;
constexpr size_t kMaxListPath = 255;  // file names live in 256-byte buffers

struct Placement {
    int x, y, width, height;
};

Placement PlacementForMode(int windowMode) {
    if (windowMode == 3)
        return {ReadSetting(IntSetting::Left), ReadSetting(IntSetting::Top), ReadSetting(IntSetting::Width),
                ReadSetting(IntSetting::Height)};
    if (windowMode == 1)
        return {400, 60, 192, 369};
    return {57, 50, 526, 162};
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
} // namespace

CListDlg* TheListDlg() { return g_listDlg; }

CListDlg::CListDlg() : CDialog(IDD_PELMAR_DIALOG) {
    g_listDlg = this;
    m_state.bigIcon = LoadIconA(AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleA(nullptr),
                                MAKEINTRESOURCEA(IDI_PELMAR));
}

CListDlg::~CListDlg() {
    SetCurrentPassword(std::string());
    if (g_listDlg == this)
        g_listDlg = nullptr;
}

void CListDlg::SetCurrentPassword(const std::string& password) {
    WipeString(m_password);
    m_password = password;
}

int CListDlg::Message(const char* text, UINT type) const { return MessageBoxA(m_hWnd, text, "Pelmar", type); }

BOOL CListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetUpSystemMenu();
    SetUpIcons();
    LoadStartupList();
    m_state.dragging = false;
    m_state.dragCursor = LoadCursorA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDC_DRAG_CURSOR));
    ReadSettingMirrors();
    if (m_state.startMode > 0)
        SetTimer(m_hWnd, kTrayStartTimer, 20, nullptr);
    PlaceWindow();
    return TRUE;
}

void CListDlg::SetUpSystemMenu() {
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    char about[256] = {};
    if (systemMenu && LoadStringA(AfxGetApp()->m_hInstance, IDS_ABOUTBOX, about, sizeof about) > 0) {
        AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
}

void CListDlg::SetUpIcons() {
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_state.bigIcon));
    m_state.smallIcon = static_cast<HICON>(
        LoadImageA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDI_PELMAR), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_state.smallIcon));
}

void CListDlg::LoadStartupList() {
    std::string name = ReadSetting(TextSetting::List);
    // Paths are at most 255 characters; a longer value is cut and then fails to open like any bad name.
    if (name.size() > kMaxListPath)
        name.resize(kMaxListPath);
    m_state.listKind = KindFromName(name);
    if (!LoadList(name))
        m_state.unloadedListFile = name;  // keep the next in-place save from replacing it
}

void CListDlg::ReadSettingMirrors() {
    m_state.startMode = ReadSetting(IntSetting::Tray);
    m_state.sendMode = ReadSetting(IntSetting::Clip);
    m_state.separatorMode = ReadSetting(IntSetting::Cr);
    m_state.keyStrokeDelay = 4;
}

void CListDlg::PlaceWindow() {
    m_state.windowMode = ReadSetting(IntSetting::WinMode);
    Placement p = PlacementForMode(m_state.windowMode);
    if (m_state.windowMode == 3)
        p = KeepOnScreen(p);
    SetWindowPos(m_hWnd, HWND_TOPMOST, p.x, p.y, p.width, p.height, SWP_SHOWWINDOW);
    m_state.restoreRect = {p.x, p.y, p.x + p.width, p.y + p.height};
}

BOOL CListDlg::PreTranslateMessage(MSG* msg) {
    if (!m_accelerators)
        m_accelerators = LoadAcceleratorsA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_ACCELERATOR));
    if (m_accelerators && TranslateAcceleratorA(m_hWnd, m_accelerators, msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

bool CListDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    POINT point = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    switch (msg) {
    case WM_QUERYDRAGICON: result = reinterpret_cast<LRESULT>(m_state.bigIcon); return true;
    case WM_LBUTTONDOWN: OnLButtonDown(point); return false;  // default processing follows
    case WM_LBUTTONUP: return OnLButtonUp(point);
    case WM_TIMER: OnTimer(wParam); return false;
    case WM_SIZE: OnSize(UINT(wParam)); return wParam == SIZE_MINIMIZED;
    case WM_DESTROY: OnDestroy(); return false;
    case WM_SYSCOMMAND: return OnSysCommand(wParam);
    case kTrayCallbackMessage: result = OnTrayNotify(lParam); return true;
    default: break;
    }
    // A registered message has no constant id to switch on.
    if (msg == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return true;
    }
    return CDialog::OnMessage(msg, wParam, lParam, result);
}

bool CListDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_FILE_NEW: OnFileNew(); return true;
    case ID_LOAD_LOGIN_FILE: OnLoadLoginFile(); return true;
    case ID_FILE_SAVE_AS: OnFileSaveAs(); return true;
    case ID_ENCRYPTED_NEW: OnEncryptedNew(); return true;
    case ID_ENCRYPTED_OPEN: OnEncryptedOpen(); return true;
    case ID_ENCRYPTED_SAVE_AS: OnEncryptedSaveAs(); return true;
    case ID_ADD_ITEM: OnAddItem(); return true;
    case ID_MODIFY_ITEM: OnModifyItem(); return true;
    case ID_DELETE_ITEM: OnDeleteItem(); return true;
    case ID_MOVE_UP: OnMoveUp(); return true;
    case ID_MOVE_DOWN: OnMoveDown(); return true;
    case ID_COPY_ALT:
    case ID_COPY: OnCopy(); return true;
    case IDM_ABOUTBOX: OnAbout(); return true;
    case ID_HELP_CONTENTS: OnHelpContents(); return true;
    case ID_NOTEPAD: OnNotepad(); return true;
    case ID_TRAY: HideToTray(); return true;
    case ID_ESCAPE: OnSysCommand(SC_MINIMIZE); return true;
    case ID_SAVE_WINDOW_POSITION: OnSaveWindowPosition(); return true;
    case ID_OPTIONS: OnOptions(); return true;
    case ID_APP_EXIT: OnCancel(); return true;
    case IDC_LIST:
        if (code == LBN_DBLCLK)
            OnListDoubleClick();
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
    switch (id) {
    case kLayoutTimer: LayOutControls(); break;
    case kTrayStartTimer: HideToTray(); break;
    case kSendTimer: OnSendStep(); break;
    case kAfterEntryTimer: OnAfterEntryStep(); break;
    case kFinishTimer: OnFinishStep(); break;
    case kClickTimer: OnClickStep(); break;
    default: break;
    }
}

void CListDlg::LayOutControls() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    int w = client.right - client.left, h = client.bottom - client.top;
    MoveWindow(GetDlgItem(IDC_LIST), 28, 0, w - 38, h - 10, TRUE);
    MoveWindow(GetDlgItem(IDC_DRAG_HANDLE), 10, 0, 16, 16, TRUE);
    MoveWindow(GetDlgItem(IDC_DRAG_STRIP), 10, 16, 16, h - 26, TRUE);
    m_state.dragArea = {10, 0, 26, h - 10};
}

void CListDlg::OnDestroy() {
    if (m_state.smallIcon)
        DestroyIcon(m_state.smallIcon);
    m_state.smallIcon = nullptr;
}

void CListDlg::OnSaveWindowPosition() {
    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    WriteSetting(IntSetting::Left, rect.left);
    WriteSetting(IntSetting::Top, rect.top);
    WriteSetting(IntSetting::Width, rect.right - rect.left);
    WriteSetting(IntSetting::Height, rect.bottom - rect.top);
    WriteSetting(IntSetting::WinMode, 3);
}
