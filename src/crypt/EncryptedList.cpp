// Encrypted list files inside the program: the encrypted load and save, and the three commands.
#include <cstring>
#include <new>
#include <vector>

#include "app/ListDlg.h"
#include "crypt/Container.h"
#include "crypt/PasswordDlg.h"
#include "framework/Wipe.h"
#include "framework/File.h"

namespace {
const char kPlaceholderEntry[] = "Modify this first item";
const char kPasswordNotice[] =
    "is a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";

enum class Decoded { Ok, BadFile, NoMemory };

// Every inconsistent file (cut, padded, counts past its end, a stream that over- or under-runs T)
// is refused before anything is shown, so the list on screen stays as it was.
Decoded DecodeFile(const std::string& fileBytes, std::string& text) {
    try {
        bool ok =
            ReadEncryptedFile(reinterpret_cast<const uint8_t*>(fileBytes.data()), fileBytes.size(), text);
        return ok ? Decoded::Ok : Decoded::BadFile;
    } catch (const std::bad_alloc&) {
        return Decoded::NoMemory;
    }
}

// Line ends become NULs, so the text starts with the stored password as a C string.
void EndLinesWithNul(std::string& text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = '\0';
    }
}

// Password line first; reserved up front so that no reallocation leaves a copy behind.
std::string PlainText(const std::string& password, const std::string& listText) {
    std::string text;
    text.reserve(password.size() + 2 + listText.size());
    text.append(password).append("\r\n").append(listText);
    return text;
}

// The container bytes are only compressed, not hidden: wipe them once written.
bool WriteEncryptedFile(const std::string& path, std::string& plainText) {
    std::vector<uint8_t> bytes = EncryptedListBytes(plainText, NameField(path));
    WipeString(plainText);
    bool written = WriteWholeFileSafely(path.c_str(), bytes.data(), bytes.size());
    WipeBytes(bytes);
    return written;
}
} // namespace

bool CListDlg::LoadEncryptedText(const std::string& name, const std::string& fileBytes, std::string& text,
                                 size_t& entriesOffset) {
    Decoded decoded = DecodeFile(fileBytes, text);
    if (decoded != Decoded::Ok) {
        Message(decoded == Decoded::BadFile ? "File error!" : "Can't get memory!\nCan't fill List Box!");
        return false;
    }
    EndLinesWithNul(text);
    const char* stored = text.c_str();
    if (lstrcmpiA(stored, m_password.c_str()) != 0) {
        std::string notice = name + "\r\n" + kPasswordNotice;
        Message(notice.c_str(), MB_OK | MB_ICONEXCLAMATION);
        std::string typed;
        bool ok = AskPassword(false, typed);
        if (ok)
            SetCurrentPassword(typed); // kept even when wrong; Encrypted Open gives the old one back
        WipeString(typed);
        if (!ok || lstrcmpiA(stored, m_password.c_str()) != 0) {
            Message("Incorrect Password! File not opened.");
            WipeString(text);
            return false;
        }
    }
    // The entries start after the stored password line, whatever form of the password was typed.
    entriesOffset = std::strlen(stored) + 2;
    return true;
}

bool CListDlg::SaveEncrypted(const std::string& listText, bool nameChosen) {
    if (nameChosen) {
        std::string typed;
        if (!AskPassword(true, typed))
            return false;
        SetCurrentPassword(typed);
        WipeString(typed);
    }
    std::string plainText = PlainText(m_password, listText);
    if (!WriteEncryptedFile(m_state.fileName, plainText)) {
        Message("Can't save List Box data!");
        return false;
    }
    return true;
}

void CListDlg::OnEncryptedNew() {
    m_state.fileName = "NewList.ple";
    if (!ChooseListFile("Open a new Listbox File", true, 3))
        return;
    std::string typed;
    if (!AskPassword(true, typed))
        return;
    SetCurrentPassword(typed);
    WipeString(typed);
    ListKind savedKind = m_state.listKind;
    m_state.listKind = kEncryptedList;
    std::string plainText = PlainText(m_password, std::string(kPlaceholderEntry) + "\r\n");
    if (!WriteEncryptedFile(m_state.fileName, plainText)) {
        m_state.listKind = savedKind;
        return;
    }
    if (!LoadList(m_state.fileName))
        m_state.listKind = savedKind;
}

void CListDlg::OnEncryptedOpen() {
    m_state.fileName.clear();
    if (!ChooseListFile("Open an encrypted Listbox File", false, 3))
        return;
    ListKind savedKind = m_state.listKind;
    std::string savedPassword = m_password;
    m_state.listKind = kEncryptedList;
    SetCurrentPassword(std::string());
    // The list on screen stays after a failed load, and its next in-place save must not re-encrypt it
    // under the wrong (or an empty) password: it gets its own password back with its kind.
    if (!LoadList(m_state.fileName)) {
        m_state.listKind = savedKind;
        SetCurrentPassword(savedPassword);
    }
    WipeString(savedPassword);
}

void CListDlg::OnEncryptedSaveAs() {
    SaveList(kEncryptedSaveAs);
}
