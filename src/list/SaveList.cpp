// SaveList: writes the item list to its list file, in place or under a name the user chooses.
#include "app/ListDlg.h"
#include "app/Settings.h"
#include "framework/File.h"
#include "framework/Wipe.h"
#include "list/ItemList.h"

namespace {
// The current list file, as loading reads it: "List.txt" (and any other bare name) lies in the
// program's folder.
std::string CurrentListFile() {
    std::string name = ReadSetting(TextSetting::List);
    if (IsBareName(name))
        name = ProgramFolder() + (EqualsIgnoreCase(name, "List.txt") ? std::string("List.txt") : name);
    return name;
}
} // namespace

void CListDlg::SaveList(int mode) {
    const ListKind savedKind = m_state.listKind;
    if (m_state.listKind == kLoginList) {
        // A login list has one home and is never stored encrypted.
        m_state.fileName = LoginFilePath();
        mode = kSaveInPlace;
    } else {
        m_state.fileName = CurrentListFile();
    }
    if (mode == kEncryptedSaveAs) {
        mode = kSaveAs;
        m_state.listKind = kEncryptedList;
        m_state.fileName = WithLastThree(m_state.fileName, "ple");
    } else if (m_state.listKind == kEncryptedList) {
        m_state.fileName = WithLastThree(m_state.fileName, "ple");
    }
    // The file that failed to load at start-up still holds the user's entries: writing what the
    // window shows over it would lose them, so the user picks the file instead.
    if (mode == kSaveInPlace && !m_state.unloadedListFile.empty() &&
        EqualsIgnoreCase(m_state.fileName, m_state.unloadedListFile)) {
        mode = kSaveAs;
        m_state.fileName.clear();
    }

    bool nameChosen = mode == kSaveAs;
    if (nameChosen) {
        if (!ChooseListFile("Save As", true, 1)) {
            m_state.listKind = savedKind;
            return;
        }
        m_state.listKind = EndsWithIgnoreCase(m_state.fileName, "ple") ? kEncryptedList : kPlainList;
    }

    std::string text = BuildListText(ReadItemList(m_hWnd, m_state.listKind), m_state.listKind);
    bool written = m_state.listKind == kEncryptedList ? SaveEncrypted(text, nameChosen) : SaveTextFile(text);
    WipeString(text); // a login or encrypted list's text holds passwords
    if (!written) {
        m_state.listKind = savedKind;
        return;
    }
    m_state.unloadedListFile.clear();
    WriteSetting(TextSetting::List, m_state.fileName);
}

void CListDlg::OnFileSaveAs() {
    // Only a plain list may change its name here: a login list has its fixed file, and an encrypted
    // list changes its name through Encrypted Save as.
    SaveList(m_state.listKind == kPlainList ? kSaveAs : kSaveInPlace);
}

bool CListDlg::SaveTextFile(const std::string& text) {
    // Temporary file, flush, then replace: a failed save leaves the old file as it was.
    if (WriteWholeFileSafely(m_state.fileName.c_str(), text.data(), text.size()))
        return true;
    Message("Can't save List Box data!");
    return false;
}
