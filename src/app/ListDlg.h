// The main dialog: the window with the item list and the drag handle. It owns the list files, the
// delivery and the tray icon, and dispatches each message and command to one of them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/HotKey.h"
#include "app/Finder.h"
#include "app/MainLayout.h"
#include "app/Tray.h"
#include "app/WindowDpi.h"
#include "deliver/Delivery.h"
#include "framework/Wnd.h"
#include "list/ItemList.h"
#include "list/ListFiles.h"

// Setting mirrors that the window itself uses.
struct WindowModes {
    int startMode = 0;  // 1: start hidden in the tray
    int windowMode = 3; // 1 vertical, 2 horizontal, 3 the saved rectangle
};

// Fills the list box once the window shows, for a long list read at start-up.
constexpr UINT kFillListMessage = WM_APP + 23;

// The main dialog's own timers; the delivery's timers use other numbers.
enum WindowTimer : UINT_PTR { kLayoutTimer = 1, kTrayStartTimer = 2 };

class CListDlg : public CDialog, public ListWindow, public DeliveryWindow {
  public:
    CListDlg();

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // A second start handed over: come up as for the hot key, over the window the user had before.
    void BringUpForHandOver();

    ListFiles& Files() { return m_files; }
    Delivery& Deliverer() { return m_delivery; }
    TrayIcon& Tray() { return m_tray; }
    const WindowModes& Modes() const { return m_modes; }
    // Shows the Find field above the list, focused, its text selected.
    void ShowFinder();
    // Clears the filter and hides the field; the list keeps its selection and takes the focus.
    void HideFinder();

    // ListWindow: boxes owned by the dialog, captioned "Pelmar".
    void Tell(const std::string& text, MessageIcon icon) override;
    bool Confirm(const std::string& text) override;
    bool ChooseListFile(const char* title, FileChoice choice, std::string& name) override;
    bool AskPassword(PasswordMode mode, std::string& password) override;
    bool AskFilePassword(PasswordMode mode, const std::string& file, std::string& password) override;
    void ShowEntries() override;
    void SelectItem(int index) override;

    // DeliveryWindow.
    HWND Window() const override { return m_hWnd; }
    void HideToTray() override { m_tray.Hide(m_hWnd); }
    void ShowAfterDelivery() override;
    const ForegroundTracker& PreviousWindow() const override { return m_previousWindow; }
    std::vector<int> SelectedEntries() const override;
    bool EntryText(int index, int field, std::string& text) const override;

  protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

  private:
    void PlaceWindow();
    void LayOutControls();
    void ShowDragPictures();
    void OnDpiChanged(int dpi, const RECT& suggested);
    void OnSize(UINT type);
    void OnTimer(UINT_PTR id);
    bool OnSysCommand(WPARAM command);
    void OnEscape();
    bool OnLButtonUp(POINT client);
    void OnOptions();

    // The hot key: Pelmar comes up over the window in front (the target), types into it on Enter and goes
    // back to where it was on Esc or on the hot key again.
    struct HotKeyVisit {
        bool active = false;    // up for the hot key, waiting for Enter or Esc
        bool returning = false; // the visit's delivery runs; it ends by going back
        bool fromTray = false;
        RECT before = {0, 0, 0, 0};
        HWND target = nullptr;
        HWND focus = nullptr;
        std::string title;
    };
    void ApplyHotKey(bool tellAlways);
    void OnHotKey();
    void BringUpFor(HWND target);
    void FocusForHotKey();
    void EndVisit();
    void AfterTrayRestore();
    bool LeaveVisit();
    void PutBack();
    void SendToPrevious(int field);

    ListFiles m_files{*this};
    Finder m_finder{m_files};
    Delivery m_delivery{*this};
    ForegroundTracker m_previousWindow; // the window Send to previous window types into
    TrayIcon m_tray;
    HICON m_bigIcon = nullptr;
    DragPictures m_pictures;
    int m_dpi = kBaseDpi;
    HACCEL m_accelerators = nullptr;
    WindowModes m_modes;
    SystemHotKey m_hotKey;
    HotKeyVisit m_visit;
    bool m_starting = false; // in OnInitDialog, before the window shows
};
