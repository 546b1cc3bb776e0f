// The main dialog: the item list, the drag handle and every command of the main window.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/Wnd.h"
#include "list/ListText.h"

constexpr UINT kTrayCallbackMessage = WM_USER + 100;
// Broadcast by the shell when the taskbar is (re)created; every tray icon must then be added again.
UINT TaskbarCreatedMessage();
constexpr int kMaxDropEntries = 128;

// Timers of the main dialog; every one fires once.
enum TimerId : UINT_PTR {
    kLayoutTimer = 1,
    kTrayStartTimer = 2,
    kSendTimer = 3,
    kAfterEntryTimer = 4,
    kFinishTimer = 5,
    kClickTimer = 6,
};

// What a drop hands to the delivery engine.
struct DropHandOver {
    UINT selectionCount = 0;
    int selection[kMaxDropEntries] = {};
    UINT position = 0;
    POINT dropPoint = {0, 0};
    int fieldSelector = 0;  // 0 entry text, 1 login, 2 password
};

// State that several commands of the main window share.
struct ListDlgState {
    ListKind listKind = kPlainList;
    // Setting mirrors.
    int startMode = 0;
    int sendMode = 0;
    int separatorMode = 1;
    int windowMode = 3;
    int keyStrokeDelay = 4;

    RECT restoreRect = {0, 0, 0, 0};
    RECT dragArea = {0, 0, 0, 0};
    bool dragging = false;
    HCURSOR dragCursor = nullptr;
    HCURSOR savedCursor = nullptr;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    NOTIFYICONDATAA trayIcon = {};

    std::string fileName;         // the list file a command works on
    std::string unloadedListFile; // set when the start-up load failed: that file must not be overwritten
    DropHandOver drop;
};

class CListDlg : public CDialog {
public:
    CListDlg();
    ~CListDlg() override;

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Item list and list files.
    int LoadList(std::string& name);
    void SaveList(int mode);
    enum SaveMode { kSaveAs = 0, kSaveInPlace = 1, kEncryptedSaveAs = 2 };

    // The current password of encrypted lists; old copies are wiped.
    const std::string& CurrentPassword() const { return m_password; }
    void SetCurrentPassword(const std::string& password);

    ListDlgState& State() { return m_state; }
    HWND ListBox(int id) const { return GetDlgItem(id); }
    // The main dialog's own message box: owned by the dialog, captioned "Pelmar".
    int Message(const char* text, UINT type = MB_OK | MB_ICONHAND) const;

    void HideToTray();
    // Shows the window at the restore rectangle and removes the tray icon.
    void RestoreFromTray(bool activate);

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    // Window set-up and geometry.
    void SetUpSystemMenu();
    void SetUpIcons();
    void LoadStartupList();
    void ReadSettingMirrors();
    void PlaceWindow();
    void LayOutControls();
    void OnSize(UINT type);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnSaveWindowPosition();

    // Tray.
    LRESULT OnTrayNotify(LPARAM mouseMessage);
    void OnTaskbarCreated();
    bool OnSysCommand(WPARAM command);

    // Small commands.
    void OnAbout();
    void OnHelpContents();
    void OnNotepad();
    void OnOptions();

    // List files.
    void OnFileNew();
    void OnFileOpen();
    void OnFileSaveAs();
    void OnLoadLoginFile();
    int ChooseListFile(const char* title, bool saving, int mode);
    bool SaveTextFile(const std::string& text);

    // Encrypted lists.
    void OnEncryptedNew();
    void OnEncryptedOpen();
    void OnEncryptedSaveAs();
    // Decodes an encrypted list file and checks its password; false after telling the user why.
    bool LoadEncryptedText(const std::string& name, const std::string& fileBytes, std::string& text,
                           size_t& entriesOffset);
    bool SaveEncrypted(const std::string& listText, bool nameChosen);

    // Editing and reordering.
    void OnAddItem();
    void OnModifyItem();
    void OnDeleteItem();
    void ShowReorderMenu();
    void OnListDoubleClick();
    void OnMoveUp();
    void OnMoveDown();

    // Drag and delivery.
    void OnLButtonDown(POINT client);
    bool OnLButtonUp(POINT client);
    void OnClickStep();
    void OnSendStep();
    void OnAfterEntryStep();
    void OnFinishStep();
    void OnCopy();

    ListDlgState m_state;
    std::string m_password;
    HACCEL m_accelerators = nullptr;
};

// The main dialog of the running program, for code that reports through its message box.
CListDlg* TheListDlg();
