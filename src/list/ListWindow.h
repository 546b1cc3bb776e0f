// What the list files need from the window that shows the list: message boxes, a file choice, a password
// prompt, and the list box that shows the entries. The main dialog implements it; tests may stand in for it.
#pragma once
#include <string>
#include <vector>

#include "crypt/PasswordLine.h"
#include "list/ListText.h"

// Which file dialog: opening or saving, any list, an encrypted list or a protected list; or a CSV file to
// import logins from.
enum class FileChoice {
    OpenList,
    SaveList,
    OpenEncrypted,
    SaveEncrypted,
    OpenProtected,
    SaveProtected,
    OpenCsv
};
enum class MessageIcon { Error, Warning };

class ListWindow {
  public:
    virtual void Tell(const std::string& text, MessageIcon icon) = 0;
    // A yes-or-no question whose default answer is No; true for yes.
    virtual bool Confirm(const std::string& text) = 0;
    // name comes in as the proposed name and goes out as the chosen path; false when cancelled.
    virtual bool ChooseListFile(const char* title, FileChoice choice, std::string& name) = 0;
    virtual bool AskPassword(PasswordMode mode, std::string& password) = 0;
    // The same prompt, saying which file the password is for.
    virtual bool AskFilePassword(PasswordMode mode, const std::string& file, std::string& password) = 0;
    // Shows the list files' entries anew (the view of them that the filter leaves).
    virtual void ShowEntries() = 0;
    // Selects the entry at index (of the entries, not of the view) alone and scrolls it into view.
    virtual void SelectItem(int index) = 0;

  protected:
    ~ListWindow() = default;
};
