// Drivers for the dialogs that list-file and editing commands open: file dialogs, the item dialog and
// the main dialog's message boxes.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "framework/WideText.h"
#include "resource.h"

namespace drivers {
const int kFileNameCombo = 0x47c; // a ComboBoxEx32 in the common file dialogs
const int kFileTypeCombo = 0x470;

struct FileDialogSeen {
    bool appeared = false;
    std::string initialName;
    std::vector<std::string> filters;
};

inline std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    int count = int(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(size_t(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        text.resize(size_t(SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]))));
        items.push_back(text);
    }
    return items;
}

// Answers the next file dialog titled title: types name (a full path or a name in the folder it shows)
// and presses OK, or presses Cancel when name is empty.
inline void AnswerFileDialog(const std::string& title, const std::string& name,
                             FileDialogSeen* seen = nullptr) {
    WhenDialogAppears(title, [=](HWND dlg) {
        if (seen) {
            seen->appeared = true;
            seen->initialName = WindowText(GetDlgItem(dlg, kFileNameCombo));
            seen->filters = ComboItems(GetDlgItem(dlg, kFileTypeCombo));
        }
        if (name.empty()) {
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SetWindowTextA(GetDlgItem(dlg, kFileNameCombo), name.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
}

// Answers the next password dialog titled title: types first (and second) and presses OK; nullptr
// presses Cancel.
inline void AnswerPassword(const std::string& title, const char* first, const char* second = "",
                           int timeoutMs = 10000) {
    WhenDialogAppears(
        title,
        [=](HWND dlg) {
            if (first) {
                SetDlgItemTextA(dlg, IDC_PASSWORD_FIRST, first);
                SetDlgItemTextA(dlg, IDC_PASSWORD_SECOND, second);
            }
            PostMessageA(dlg, WM_COMMAND, first ? IDOK : IDCANCEL, 0);
        },
        timeoutMs);
}

// Cancels a dialog that must not come, and notes in came that it did.
inline void Trap(const std::string& title, bool& came) {
    WhenDialogAppears(title, [&came](HWND w) {
        came = true;
        PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
}

// Answers the next box of the main dialog (caption "Pelmar") with OK, keeping its text.
inline void AnswerMessageBox(std::string* text) {
    WhenDialogAppears("Pelmar", [=](HWND box) {
        if (!GetDlgItem(box, 0xFFFF))
            return; // the main dialog itself, not a box
        if (text)
            *text = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
}

// Answers the next dialog, whatever it is: a message box with Yes (or OK) or No, keeping its text and the
// button Enter would press. Any other dialog is cancelled and its caption kept instead, so that a test
// expecting a box fails at once rather than waiting on a dialog nobody answers.
inline void AnswerNextBox(bool yes, std::string* text, int* defaultButton = nullptr) {
    WhenDialogAppears("", [=](HWND box) {
        bool isBox = GetDlgItem(box, 0xFFFF) != nullptr;
        if (text)
            *text = isBox ? MessageBoxText(box) : "<dialog " + WindowText(box) + ">";
        if (defaultButton) {
            *defaultButton = 0;
            for (int id : {IDOK, IDYES, IDNO, IDCANCEL}) {
                HWND button = GetDlgItem(box, id);
                if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    *defaultButton = id;
            }
        }
        int answer = !isBox ? IDCANCEL : !yes ? IDNO : GetDlgItem(box, IDYES) ? IDYES : IDOK;
        PostMessageA(box, WM_COMMAND, answer, 0);
    });
}

struct ItemDialogSeen {
    bool appeared = false;
    std::string title, text, login, password;
    bool loginShown = false, labelsShown = false, passwordMasked = false;
    std::string preview; // how the typed text will be sent, as the dialog shows it
    bool previewShown = false;
};

struct ItemAnswer {
    ItemAnswer(bool ok = true, std::string text = "", std::string login = "", std::string password = "")
        : ok(ok), text(std::move(text)), login(std::move(login)), password(std::move(password)) {}
    bool ok;
    std::string text, login, password; // typed into the fields before OK or Cancel
    bool type = true;                  // false: press OK on what the dialog shows
};

inline void AnswerItemDialog(const std::string& title, const ItemAnswer& answer,
                             ItemDialogSeen* seen = nullptr, int timeoutMs = 10000) {
    WhenDialogAppears(
        title,
        [=](HWND dlg) {
            if (seen) {
                seen->appeared = true;
                seen->title = WindowText(dlg);
                seen->text = WindowText(GetDlgItem(dlg, IDC_ITEM_TEXT));
                seen->login = WindowText(GetDlgItem(dlg, IDC_ITEM_LOGIN));
                seen->password = WindowText(GetDlgItem(dlg, IDC_ITEM_PASSWORD));
                seen->loginShown = IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_LOGIN)) &&
                                   IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_PASSWORD));
                seen->labelsShown = IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_SITE_LABEL)) &&
                                    IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_LOGIN_LABEL)) &&
                                    IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_PASSWORD_LABEL));
                seen->passwordMasked =
                    SendMessageA(GetDlgItem(dlg, IDC_ITEM_PASSWORD), EM_GETPASSWORDCHAR, 0, 0) != 0;
            }
            if (answer.type) {
                SetWindowTextA(GetDlgItem(dlg, IDC_ITEM_TEXT), answer.text.c_str());
                SetWindowTextA(GetDlgItem(dlg, IDC_ITEM_LOGIN), answer.login.c_str());
                SetWindowTextA(GetDlgItem(dlg, IDC_ITEM_PASSWORD), answer.password.c_str());
            }
            if (seen) {
                seen->preview = WindowText(GetDlgItem(dlg, IDC_ITEM_PREVIEW));
                seen->previewShown = IsWindowVisible(GetDlgItem(dlg, IDC_ITEM_PREVIEW)) != 0;
            }
            PostMessageA(dlg, WM_COMMAND, answer.ok ? IDOK : IDCANCEL, 0);
        },
        timeoutMs);
}

inline void Command(CListDlg& dlg, UINT id) {
    SendMessageA(dlg.m_hWnd, WM_COMMAND, id, 0);
}

// A text in the ANSI code page, as the entries hold it (UTF-8).
inline std::string FromAnsi(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], int(wide.size()));
    return Narrow(wide.data(), size_t(n > 0 ? n : 0));
}

// Replaces the entries in memory and shows them; the texts are in the ANSI code page.
inline void SetEntries(CListDlg& dlg, const std::vector<std::string>& texts,
                       const std::vector<std::string>& logins = {},
                       const std::vector<std::string>& passwords = {}) {
    std::vector<ListEntry> entries;
    for (size_t i = 0; i < texts.size(); ++i)
        entries.push_back({FromAnsi(texts[i]), FromAnsi(i < logins.size() ? logins[i] : ""),
                           FromAnsi(i < passwords.size() ? passwords[i] : "")});
    dlg.Files().ShowList(entries, dlg.Files().Kind());
}

// Every file name in a folder, to show that no temporary file stayed behind.
inline std::vector<std::string> FolderContents(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Starts the main dialog on a list file of the given content; ini "list" names it.
inline std::string StartWith(TempDir& dir, const std::string& name, const std::string& bytes) {
    std::string file = dir.File(name);
    WriteFileBytes(file, bytes);
    std::string ini = dir.File("Pelmar.ini");
    WritePrivateProfileStringA("pelmar", "list", file.c_str(), ini.c_str());
    return ini;
}
} // namespace drivers
