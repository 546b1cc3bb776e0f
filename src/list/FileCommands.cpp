// New, Open, Load login file and the common file dialog that chooses list files.
#include "app/ListDlg.h"

#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "app/Settings.h"
#include "framework/Wipe.h"
#include "framework/File.h"

// The record without the members Windows 2000 added, so older systems accept it too.
// (OPENFILENAME_SIZE_VERSION_400A is not a constant expression, so check its definition's offsetof.)
#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the 4.00 open-file record is 76 bytes");
#endif

namespace {
// Each text ends in a NUL and the literal adds the second one that ends the list.
const char kTextFilters[] =
    "Text Files (*.txt)\0 *.txt\0 Encrypted Files (*.ple)\0 *.ple\0 All Files(*.*)\0 *.*\0";
const char kEncryptedFilter[] = "Encrypted Files (*.ple)\0 *.ple\0";
const char kPlaceholderEntry[] = "Modify this first item";

const char* FilterFor(bool saving, int mode) {
    if (mode == 3)
        return kEncryptedFilter;
    return saving ? nullptr : kTextFilters;
}

// Loads the file-name buffer as the given kind; a failed load puts the kind from before back.
bool LoadAs(CListDlg& dlg, ListKind kind) {
    ListKind remembered = dlg.State().listKind;
    dlg.State().listKind = kind;
    if (dlg.LoadList(dlg.State().fileName))
        return true;
    dlg.State().listKind = remembered;
    return false;
}
} // namespace

int CListDlg::ChooseListFile(const char* title, bool saving, int mode) {
    char file[256] = {};
    strncpy(file, m_state.fileName.c_str(), sizeof file - 1);
    std::string lastDir = ReadSetting(TextSetting::LastDir, "");

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = FilterFor(saving, mode);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = lastDir.empty() ? nullptr : lastDir.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = saving ? OFN_HIDEREADONLY : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "";
    BOOL chosen = saving ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (chosen)
        m_state.fileName = file;
    return chosen ? 1 : 0;
}

void CListDlg::OnFileNew() {
    m_state.fileName = "NewList.txt";
    if (!ChooseListFile("Open a new Listbox File", true, 1))
        return;
    // Through the safe write, so a file that can't be written keeps what it held.
    if (!WriteWholeFileSafely(m_state.fileName.c_str(), kPlaceholderEntry, sizeof kPlaceholderEntry - 1))
        return;
    LoadAs(*this, kPlainList);
}

void CListDlg::OnFileOpen() {
    m_state.fileName.clear();
    if (!ChooseListFile("Open a Listbox File", false, 1))
        return;
    // A file of an encrypted list chosen here asks for its password again.
    std::string previousPassword = m_password;
    SetCurrentPassword(std::string());
    // LoadList makes it a login or encrypted list by the name. The list on screen stays after a failed
    // load, and its next in-place save must not re-encrypt it without its password: give that back.
    if (!LoadAs(*this, kPlainList))
        SetCurrentPassword(previousPassword);
    WipeString(previousPassword);
}

void CListDlg::OnLoadLoginFile() {
    m_state.fileName = LoginFilePath();
    LoadAs(*this, kLoginList);
}
