// The list-file commands: New, Open, Load login file, Save as, the in-place save after an edit, and the
// encrypted commands, each committing its state only when it succeeded.
#include "list/ListFiles.h"

#include <windows.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "common/Paths.h"
#include "crypt/Container.h"
#include "framework/File.h"
#include "framework/WideText.h"
#include "list/AnsiCodePageWin.h"
#include "settings/Settings.h"

namespace {
const char kPlaceholderEntry[] = "Modify this first item";
const char kPasswordNotice[] =
    "is a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";
const char kEncryptedNotReplaced[] = "is a Pelmar encrypted file. Choose another name for the new list.";
const char kCantSave[] = "Can't save List Box data!";
const char kNoMemory[] = "Can't get memory!\nCan't fill List Box!";
constexpr size_t kMaxListPath = 32767; // the longest path Windows knows

enum class ReadResult { Ok, CantOpen, NoMemory, BadFile };

ReadResult ReadListFile(const std::string& name, std::string& bytes) {
    CFile file;
    if (!file.Open(name.c_str(), CFile::modeRead | CFile::typeBinary))
        return ReadResult::CantOpen;
    uint64_t length = file.GetLength();
    if (length >= 0x7FFFFFFF)
        return ReadResult::NoMemory;
    try {
        bytes.assign(size_t(length), '\0');
    } catch (const std::bad_alloc&) {
        return ReadResult::NoMemory;
    }
    // A read that stops short is a file that can't be read: report it rather than show half a list.
    if (length > 0 && file.Read(&bytes[0], UINT(length)) != length)
        return ReadResult::CantOpen;
    return ReadResult::Ok;
}

// Every inconsistent file (cut, padded, counts past its end, a stream that over- or under-runs its length)
// is refused before anything is shown, so the list on screen stays as it was.
ReadResult DecodeFile(const std::string& fileBytes, std::string& text) {
    try {
        bool ok =
            ReadEncryptedFile(reinterpret_cast<const uint8_t*>(fileBytes.data()), fileBytes.size(), text);
        return ok ? ReadResult::Ok : ReadResult::BadFile;
    } catch (const std::bad_alloc&) {
        return ReadResult::NoMemory;
    }
}

const char* ReadFailureText(ReadResult result) {
    switch (result) {
    case ReadResult::CantOpen: return "Can't open List Box file!";
    case ReadResult::BadFile: return "File error!";
    default: return kNoMemory;
    }
}

void SetPassword(ListFileState& s, const std::string& password) {
    WipeString(s.password);
    s.password = password;
}

const AnsiCodePage& SystemCodePage() {
    static const WinAnsiCodePage codePage;
    return codePage;
}

void WipeEntries(std::vector<ListEntry>& entries) {
    for (ListEntry& e : entries) {
        WipeString(e.login);
        WipeString(e.password);
        WipeString(e.text);
    }
}

// An encrypted list under another name: its first bytes are the container's header.
bool HoldsEncryptedList(const std::string& path) {
    CFile file;
    uint8_t head[64] = {};
    if (!file.Open(path.c_str(), CFile::modeRead))
        return false;
    UINT got = file.Read(head, sizeof head);
    return HasContainerHeader(head, got);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

// Runs a command on a copy of the state and commits the copy only when the command succeeded. Running out
// of memory anywhere in it (a large or crafted file) is reported like any failure and changes nothing.
template <typename Command> bool ListFiles::Commit(const char* noMemory, Command command) {
    try {
        ListFileState next = m_state;
        if (!command(next))
            return false;
        m_state.Swap(next);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    return Refuse(noMemory);
}

void ListFiles::LoadStartupList() {
    std::string name = ReadSetting(TextSetting::List);
    // A longer value than any path is cut and then fails to open like any bad name.
    if (name.size() > kMaxListPath)
        name.resize(kMaxListPath);
    if (Load(name, KindFromName(name)))
        return;
    // A file that is there but could not be read still holds the user's entries: keep the next in-place
    // save from replacing it. A file that does not exist yet is simply created by the first save.
    m_state.kind = kPlainList;
    m_state.file = ResolveListPath(name, ProgramFolder());
    m_state.unloadedFile = FileExists(m_state.file) ? m_state.file : std::string();
}

bool ListFiles::Load(const std::string& name, ListKind kind) {
    return Commit(kNoMemory, [&](ListFileState& s) {
        s.kind = kind;
        return LoadInto(s, name);
    });
}

bool ListFiles::LoadInto(ListFileState& s, const std::string& name) {
    std::string path = ResolveListPath(name, ProgramFolder());
    WriteSetting(TextSetting::LastDir, FolderPart(path));
    s.kind = KindForLoad(path, s.kind, LoginFilePath());
    std::vector<ListEntry> entries;
    if (!ReadEntries(s, path, entries))
        return false;
    WriteSetting(TextSetting::List, path);
    // Only a complete list replaces the one on screen; filling the boxes no longer fails.
    m_window.FillItems(entries, s.kind);
    WipeEntries(entries);
    s.file = path;
    s.unloadedFile.clear();
    return true;
}

bool ListFiles::ReadEntries(ListFileState& s, const std::string& path, std::vector<ListEntry>& entries) {
    std::string bytes;
    ReadResult read = ReadListFile(path, bytes);
    if (read != ReadResult::Ok)
        return Refuse(ReadFailureText(read));
    if (s.kind != kEncryptedList) {
        ListFile file = ParseListFile(bytes, s.kind, SystemCodePage());
        WipeString(bytes);
        s.encoding = file.encoding;
        entries.swap(file.entries);
        return true;
    }
    std::string inner;
    read = DecodeFile(bytes, inner);
    WipeString(bytes);
    if (read != ReadResult::Ok)
        return Refuse(ReadFailureText(read));
    DecodedText decoded = DecodeListBytes(inner, SystemCodePage());
    WipeString(inner);
    PasswordLine line = SplitPasswordLine(decoded.text);
    bool matched = CheckPassword(s, path, line.password);
    WipeString(line.password);
    if (matched) {
        entries = ParseListText(decoded.text.data() + line.entriesOffset,
                                decoded.text.size() - line.entriesOffset, kPlainList);
        s.encoding = decoded.encoding;
    }
    WipeString(decoded.text); // it holds the password
    return matched;
}

bool ListFiles::Refuse(const char* message) {
    m_window.Tell(message, MessageIcon::Error);
    return false;
}

bool ListFiles::CheckPassword(ListFileState& s, const std::string& path, const std::string& stored) {
    if (PasswordsMatch(stored, s.password))
        return true;
    m_window.Tell(path + "\r\n" + kPasswordNotice, MessageIcon::Warning);
    std::string typed;
    bool answered = m_window.AskPassword(PasswordMode::Open, typed);
    if (answered)
        SetPassword(s, typed);
    WipeString(typed);
    if (answered && PasswordsMatch(stored, s.password))
        return true;
    m_window.Tell("Incorrect Password! File not opened.", MessageIcon::Error);
    return false;
}

bool ListFiles::Save(SaveMode mode) {
    return Commit(kCantSave, [&](ListFileState& s) { return SaveFrom(s, mode); });
}

bool ListFiles::SaveFrom(ListFileState& s, SaveMode mode) {
    SavePlan plan = PlanSave(mode, s.kind, s.file, LoginFilePath(), s.unloadedFile);
    s.kind = plan.kind;
    if (plan.chooseName) {
        if (!m_window.ChooseListFile("Save As", FileChoice::SaveList, plan.file))
            return false;
        s.kind = KindOfChosenName(plan.file);
        if (s.kind == kEncryptedList && !AskNewPassword(s))
            return false;
    }
    std::vector<ListEntry> entries = m_window.ReadItems(s.kind);
    bool written = WriteList(s, plan.file, entries);
    WipeEntries(entries);
    if (!written)
        return false;
    s.file = plan.file;
    s.unloadedFile.clear();
    WriteSetting(TextSetting::List, s.file);
    return true;
}

bool ListFiles::WriteList(ListFileState& s, const std::string& file, const std::vector<ListEntry>& entries) {
    EncodedText encoded = ListFileBytes(s, file, entries);
    // Temporary file, flush, then replace: a failed save leaves the old file as it was.
    bool written = WriteWholeFileSafely(file.c_str(), encoded.bytes.data(), encoded.bytes.size());
    WipeString(encoded.bytes); // a login or encrypted list's bytes hold passwords
    if (!written)
        return Refuse(kCantSave);
    s.encoding = encoded.encoding; // an ANSI file that needed more is UTF-8 now
    return true;
}

EncodedText ListFiles::ListFileBytes(const ListFileState& s, const std::string& file,
                                     const std::vector<ListEntry>& entries) {
    if (s.kind != kEncryptedList)
        return BuildListFile(entries, s.kind, s.encoding, SystemCodePage());
    std::string listText = BuildListText(entries, kPlainList);
    std::string plainText = ComposePasswordLine(s.password, listText);
    EncodedText inner = EncodeListText(plainText, s.encoding, SystemCodePage());
    WipeString(listText);
    WipeString(plainText);
    // The container bytes are only compressed, not hidden: they are wiped once written.
    std::vector<uint8_t> bytes = EncryptedListBytes(inner.bytes, NameField(file));
    WipeString(inner.bytes);
    EncodedText encoded = {std::string(bytes.begin(), bytes.end()), inner.encoding};
    WipeBytes(bytes);
    return encoded;
}

bool ListFiles::AskNewPassword(ListFileState& s) {
    std::string typed;
    bool answered = m_window.AskPassword(PasswordMode::NewPassword, typed);
    if (answered)
        SetPassword(s, typed);
    WipeString(typed);
    return answered;
}

void ListFiles::New() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string file = "NewList.txt";
        if (!m_window.ChooseListFile("Open a new Listbox File", FileChoice::SaveList, file))
            return false;
        // A plain placeholder under an encrypted list's name could never be opened again, and over an
        // encrypted list it would destroy it: such a name makes a new encrypted list, behind a password.
        if (KindOfChosenName(file) == kEncryptedList)
            return NewEncryptedList(s, file);
        if (HoldsEncryptedList(file))
            return Refuse((file + "\r\n" + kEncryptedNotReplaced).c_str());
        // Through the safe write, so a file that can't be written keeps what it held.
        if (!WriteWholeFileSafely(file.c_str(), kPlaceholderEntry, sizeof kPlaceholderEntry - 1))
            return Refuse(kCantSave);
        s.kind = kPlainList;
        return LoadInto(s, file);
    });
}

void ListFiles::Open() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string file;
        if (!m_window.ChooseListFile("Open a Listbox File", FileChoice::OpenList, file))
            return false;
        // A file of an encrypted list chosen here asks for its password again; LoadList makes it a
        // login or encrypted list by its name.
        SetPassword(s, std::string());
        s.kind = kPlainList;
        return LoadInto(s, file);
    });
}

void ListFiles::LoadLoginFile() {
    Load(LoginFilePath(), kLoginList);
}

void ListFiles::SaveAs() {
    // Only a plain list may change its name here: a login list has its fixed file, and an encrypted list
    // changes its name through Encrypted Save as.
    Save(m_state.kind == kPlainList ? SaveMode::As : SaveMode::InPlace);
}

void ListFiles::EncryptedNew() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string file = "NewList.ple";
        return m_window.ChooseListFile("Open a new Listbox File", FileChoice::SaveEncrypted, file) &&
               NewEncryptedList(s, file);
    });
}

bool ListFiles::NewEncryptedList(ListFileState& s, const std::string& file) {
    if (!AskNewPassword(s))
        return false;
    s.kind = kEncryptedList;
    s.encoding = TextEncoding::Ansi;
    return WriteList(s, file, {ListEntry{kPlaceholderEntry, "", ""}}) && LoadInto(s, file);
}

void ListFiles::EncryptedOpen() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string file;
        if (!m_window.ChooseListFile("Open an encrypted Listbox File", FileChoice::OpenEncrypted, file))
            return false;
        s.kind = kEncryptedList;
        SetPassword(s, std::string());
        return LoadInto(s, file);
    });
}

void ListFiles::EncryptedSaveAs() {
    Save(SaveMode::EncryptedAs);
}
