// Frame window and modal dialog: one trampoline per window kind, which is also the exception boundary.
#include "framework/Wnd.h"

#include <exception>

#include "common/Wipe.h"
#include "framework/WinApp.h"
#include "framework/WideText.h"

namespace {
const char kDefaultFrameClass[] = "PelmarFrameWindow";

bool RegisterDefaultFrameClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CFrameWnd::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kDefaultFrameClass;
    return RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Messages whose dialog-procedure result is the value itself rather than DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
        return true;
    default:
        return false;
    }
}
} // namespace

void ReportUnexpectedException(const char* what) {
    std::string text = "Unexpected error: ";
    text += what ? what : "unknown";
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONHAND);
}

std::wstring GetWindowTextWide(HWND hwnd, size_t maxLength) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring wide(size_t(length > 0 ? length : 0) + 1, L'\0');
    // The text may have grown since: GetWindowTextW cuts it to the buffer.
    int n = GetWindowTextW(hwnd, &wide[0], int(wide.size()));
    size_t kept = n > 0 ? size_t(n) : 0;
    if (kept > maxLength)
        kept = maxLength > 0 && IS_HIGH_SURROGATE(wide[maxLength - 1]) ? maxLength - 1 : maxLength;
    WipeMemory(&wide[kept], (wide.size() - kept) * sizeof(wchar_t)); // what is cut off may be a password's
    wide.resize(kept);
    return wide;
}

std::string GetWindowTextString(HWND hwnd, size_t maxLength) {
    std::wstring wide = GetWindowTextWide(hwnd, maxLength);
    std::string text = Narrow(wide);
    WipeWide(wide);
    return text;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        if (!RegisterDefaultFrameClass(cs.hInstance))
            return FALSE;
        cs.lpszClass = kDefaultFrameClass;
    }
    return TRUE;
}

BOOL CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                       const char* menuName) {
    CREATESTRUCTA cs = {};
    cs.hInstance = AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleA(nullptr);
    cs.lpszClass = className;
    cs.lpszName = title;
    cs.style = LONG(style);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent;
    cs.hMenu = menuName ? LoadMenuA(cs.hInstance, menuName) : nullptr;
    if (!PreCreateWindow(cs))
        return FALSE;
    HWND hwnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, this);
    return hwnd != nullptr;
}

void CFrameWnd::OnClose() {
    bool isMain = AfxGetApp() && AfxGetApp()->m_hMainWnd == m_hWnd;
    ShowWindow(m_hWnd, SW_HIDE);
    if (isMain)
        AfxGetApp()->m_hMainWnd = nullptr;
    DestroyWindow(m_hWnd);  // the object may be gone after this
    if (isMain)
        PostQuitMessage(0);
}

LRESULT CFrameWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        OnClose();
        return 0;
    }
    return DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CFrameWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* frame = static_cast<CFrameWnd*>(cs->lpCreateParams);
        frame->m_hWnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<CFrameWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!frame)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        frame->m_hWnd = nullptr;
        LRESULT result = DefWindowProcA(hwnd, msg, wParam, lParam);
        frame->PostNcDestroy();
        return result;
    }
    try {
        return frame->OnMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ReportUnexpectedException(e.what());
    } catch (...) {
        ReportUnexpectedException(nullptr);
    }
    return 0;
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_parent ? m_parent : AfxGetSafeOwner();
    // Like the framework's modal loop: disable the owner only if it was enabled, and give it back after.
    bool disabledOwner = owner && IsWindowEnabled(owner);
    if (disabledOwner)
        EnableWindow(owner, FALSE);
    m_ending = false;
    m_result = IDCANCEL;
    HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleA(nullptr);
    HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hwnd) {
        if (!m_ending && !IsWindowVisible(hwnd))
            ShowWindow(hwnd, SW_SHOWNORMAL);
        RunModalLoop();
    } else {
        m_result = -1;
    }
    // Re-enable the owner before the dialog goes, so that activation returns to it.
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    if (hwnd && IsWindow(hwnd)) {
        if (owner && GetActiveWindow() == hwnd)
            SetActiveWindow(owner);
        DestroyWindow(hwnd);
    }
    m_hWnd = nullptr;
    return m_result;
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (!m_ending) {
        // The wide loop: the ANSI one would turn typed characters outside the code page into '?'.
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // Keep the quit message for the outer loop.
            PostQuitMessage(got == 0 ? int(msg.wParam) : 0);
            m_result = IDCANCEL;
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    m_ending = true;
    // Wake the loop in case no other message is pending.
    if (m_hWnd)
        PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return m_hWnd && IsDialogMessageW(m_hWnd, msg); }

std::string CDialog::GetDlgItemText(int id, size_t maxLength) const {
    return GetWindowTextString(GetDlgItem(id), maxLength);
}

bool CDialog::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    default: return false;
    }
}

bool CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG: result = OnInitDialog(); return true;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE: OnCancel(); return true;
    default: return false;
    }
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnMessage(msg, wParam, lParam, result))
        return FALSE;
    if (ReturnsValueDirectly(msg))
        return INT_PTR(result);
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        // Destroyed from outside (its owner went first): the modal loop must not wait for it forever.
        dialog->m_hWnd = nullptr;
        dialog->m_ending = true;
        return FALSE;
    }
    try {
        return dialog->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        ReportUnexpectedException(e.what());
    } catch (...) {
        ReportUnexpectedException(nullptr);
    }
    return FALSE;
}
