// Helpers for tests that drive the real main dialog, real modal dialogs and real files under Wine.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "list/ListText.h"

class CListDlg;

// A fresh folder of the test's own under the temporary folder, removed at the end of the test.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

  private:
    std::string m_path;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
std::string ReadIni(const std::string& iniPath, const char* key); // "<absent>" when missing
// A settings file in dir naming its list.txt, which holds listText, plus the given lines of section "pelmar";
// its path.
std::string WriteSettingsWithList(const TempDir& dir, const std::string& listText, const std::string& lines);

// Runs the real main dialog modally with the given settings file; body runs inside its message loop once
// the dialog is up, and the dialog ends when body returns (unless body ended it already).
void RunMainDialog(const std::string& iniPath, const std::function<void(CListDlg&)>& body);

// The main dialog that RunMainDialog runs, or nullptr.
CListDlg* HarnessDialog();

// Set up a case: the list kind, the current password or the current list file, as a command would have left
// them.
void SetListKind(CListDlg& dlg, ListKind kind);
void SetPassword(CListDlg& dlg, const std::string& password);
void SetListFile(CListDlg& dlg, const std::string& path);
// Shell_NotifyIconA with the dialog's tray icon data.
BOOL NotifyTrayIcon(CListDlg& dlg, DWORD message);

// Processes messages (through the main dialog's accelerators and dialog keys) until cond holds.
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000);
void PumpFor(int ms);

// Acts once on the first visible dialog-class window of this process whose title is title (any title when
// empty) as soon as it appears, from whatever modal loop is running then. Returns a handle to cancel it.
void WhenDialogAppears(const std::string& title, const std::function<void(HWND)>& action,
                       int timeoutMs = 10000);
// True once every WhenDialogAppears action has run.
bool AllDialogActionsRan();
void CancelDialogActions();

// The text of a message box (its static 0xFFFF) and its caption.
std::string MessageBoxText(HWND box);
std::string WindowText(HWND hwnd);

std::vector<std::string> ListBoxItems(HWND box);
// The logins or passwords of the entries in memory (a login list keeps them nowhere else); none for
// another kind of list.
std::vector<std::string> Logins(CListDlg& dlg);
std::vector<std::string> Passwords(CListDlg& dlg);
// Adds an entry at index of the entries in memory and shows the list anew, as an edit would.
void InsertEntry(CListDlg& dlg, size_t index, const std::string& text, const std::string& login = "",
                 const std::string& password = "");
std::vector<int> ListBoxSelection(HWND box);
void SelectItems(HWND box, const std::vector<int>& indices);

// Synthesised key strokes to the focused window.
void TapKey(BYTE vk);
void TapKeyWith(BYTE modifier, BYTE vk);

// The program folder (where the test program and Pelmar.exe live), with its final backslash.
std::string TestProgramFolder();
