// Window classes of the framework layer: a window handle holder, the frame window and modal dialogs.
#pragma once
#include <windows.h>

#include <string>

// No limit on the text read from a window.
constexpr size_t kWholeText = size_t(-1);

class CWnd {
public:
    virtual ~CWnd() = default;
    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND m_hWnd = nullptr;
};

// A top-level frame window. The object deletes itself once its window is destroyed.
class CFrameWnd : public CWnd {
public:
    BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                const char* menuName);
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    // Hides and destroys the window; closing the application's main window ends the message loop.
    virtual void OnClose();

    // The framework's window procedure, also used by window classes registered elsewhere.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() { delete this; }
};

// A modal dialog from a template, with its own message loop so that PreTranslateMessage sees every message.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual BOOL PreTranslateMessage(MSG* msg);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // The control's text, however long (or at most maxLength UTF-16 units).
    std::string GetDlgItemText(int id, size_t maxLength = kWholeText) const;

protected:
    // Message and command dispatch; return true when handled, with the message's result in result.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual bool OnCommand(UINT id, UINT code, HWND control);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();

    UINT m_templateId;
    HWND m_parent;
    bool m_ending = false;
    INT_PTR m_result = IDCANCEL;
};

// The text of any window or control, read into a buffer sized by its length: at most maxLength UTF-16
// units, never half of a surrogate pair. Another process's title is read without a message.
std::wstring GetWindowTextWide(HWND hwnd, size_t maxLength = kWholeText);
// The same as UTF-8; the wide copy is wiped, as it may be a password box's.
std::string GetWindowTextString(HWND hwnd, size_t maxLength = kWholeText);
// Reports an exception escaping a handler; no exception crosses a system callback.
void ReportUnexpectedException(const char* what);
