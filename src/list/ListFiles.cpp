// The list-file commands: New, Open, Load login file, Save as, the in-place save after an edit, and the
// encrypted commands, each committing its state only when it succeeded.
#include "list/ListFiles.h"

#include <windows.h>

#include <new>
#include <vector>

#include "common/Paths.h"
#include "crypt/Container.h"
#include "framework/File.h"
#include "settings/Settings.h"

namespace {
const char kPlaceholderEntry[] = "Modify this first item";
const char kPasswordNotice[] =
    "is a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";
const char kNoMemory[] = "Can't get memory!\nCan't fill List Box!";
constexpr size_t kMaxListPath = 255; // file names live in 256-byte buffers

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

std::string ProgramLoginFile() {
    return ProgramFolder() + "Pelmar.plr";
}
} // namespace

template <typename Command> static bool Commit(ListFileState& state, Command command) {
    ListFileState next = state;
    if (!command(next))
        return false;
    state = next;
    return true;
}

void ListFiles::LoadStartupList() {
    std::string name = ReadSetting(TextSetting::List);
    // Paths are at most 255 characters; a longer value is cut and then fails to open like any bad name.
    if (name.size() > kMaxListPath)
        name.resize(kMaxListPath);
    if (Load(name, KindFromName(name)))
        return;
    // The file still holds the user's entries: keep the next in-place save from replacing it.
    m_state.kind = kPlainList;
    m_state.file = ResolveListPath(name, ProgramFolder());
    m_state.unloadedFile = m_state.file;
}

bool ListFiles::Load(const std::string& name, ListKind kind) {
    return Commit(m_state, [&](ListFileState& s) {
        s.kind = kind;
        return LoadInto(s, name);
    });
}

bool ListFiles::LoadInto(ListFileState& s, const std::string& name) {
    std::string path = ResolveListPath(name, ProgramFolder());
    WriteSetting(TextSetting::LastDir, FolderPart(path));
    s.kind = KindForLoad(path, s.kind, ProgramLoginFile());
    std::string text;
    size_t offset = 0;
    if (!ReadListText(s, path, text, offset))
        return false;
    m_window.FillItems(ParseListText(text.data() + offset, text.size() - offset, s.kind), s.kind);
    WipeString(text); // an encrypted list's text holds its password
    s.file = path;
    s.unloadedFile.clear();
    WriteSetting(TextSetting::List, path);
    return true;
}

bool ListFiles::ReadListText(ListFileState& s, const std::string& path, std::string& text, size_t& offset) {
    std::string bytes;
    ReadResult read = ReadListFile(path, bytes);
    if (read == ReadResult::Ok && s.kind == kEncryptedList) {
        read = DecodeFile(bytes, text);
        WipeString(bytes);
    } else {
        text.swap(bytes);
    }
    if (read != ReadResult::Ok) {
        m_window.Tell(ReadFailureText(read), MessageIcon::Error);
        return false;
    }
    offset = 0;
    if (s.kind != kEncryptedList)
        return true;
    PasswordLine line = SplitPasswordLine(text);
    bool matched = CheckPassword(s, path, line.password);
    WipeString(line.password);
    if (!matched)
        WipeString(text);
    offset = line.entriesOffset;
    return matched;
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
    return Commit(m_state, [&](ListFileState& s) { return SaveFrom(s, mode); });
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
    std::string text = BuildListText(m_window.ReadItems(s.kind), s.kind);
    bool written = WriteList(s, plan.file, text);
    WipeString(text); // a login or encrypted list's text holds passwords
    if (!written)
        return false;
    s.file = plan.file;
    s.unloadedFile.clear();
    WriteSetting(TextSetting::List, s.file);
    return true;
}

bool ListFiles::WriteList(const ListFileState& s, const std::string& file, const std::string& listText) {
    bool written = false;
    if (s.kind == kEncryptedList) {
        // The container bytes are only compressed, not hidden: wipe them once written.
        std::string plainText = ComposePasswordLine(s.password, listText);
        std::vector<uint8_t> bytes = EncryptedListBytes(plainText, NameField(file));
        WipeString(plainText);
        written = WriteWholeFileSafely(file.c_str(), bytes.data(), bytes.size());
        WipeBytes(bytes);
    } else {
        // Temporary file, flush, then replace: a failed save leaves the old file as it was.
        written = WriteWholeFileSafely(file.c_str(), listText.data(), listText.size());
    }
    if (!written)
        m_window.Tell("Can't save List Box data!", MessageIcon::Error);
    return written;
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
    Commit(m_state, [&](ListFileState& s) {
        std::string file = "NewList.txt";
        if (!m_window.ChooseListFile("Open a new Listbox File", FileChoice::SaveList, file))
            return false;
        // Through the safe write, so a file that can't be written keeps what it held.
        if (!WriteWholeFileSafely(file.c_str(), kPlaceholderEntry, sizeof kPlaceholderEntry - 1))
            return false;
        s.kind = kPlainList;
        return LoadInto(s, file);
    });
}

void ListFiles::Open() {
    Commit(m_state, [&](ListFileState& s) {
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
    Commit(m_state, [&](ListFileState& s) {
        std::string file = "NewList.ple";
        if (!m_window.ChooseListFile("Open a new Listbox File", FileChoice::SaveEncrypted, file))
            return false;
        if (!AskNewPassword(s))
            return false;
        s.kind = kEncryptedList;
        std::string placeholder = std::string(kPlaceholderEntry) + "\r\n";
        return WriteList(s, file, placeholder) && LoadInto(s, file);
    });
}

void ListFiles::EncryptedOpen() {
    Commit(m_state, [&](ListFileState& s) {
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
