// The list-file commands: New, Open, Load login file, Save as, the in-place save after an edit, and the
// encrypted and protected commands, each committing its state only when it succeeded.
#include "list/ListFiles.h"

#include <windows.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "common/Paths.h"
#include "crypt/Container.h"
#include "crypt/PasswordCaseWin.h"
#include "framework/File.h"
#include "framework/WideText.h"
#include "list/AnsiCodePageWin.h"
#include "settings/Settings.h"

namespace {
const char kPlaceholderEntry[] = "Modify this first item";
const char kPasswordNotice[] =
    "is a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";
const char kNotReplaced[] = ". Choose another name for the new list.";
const char kWrongPasswordOrDamaged[] = "Incorrect password, or the file is damaged! File not opened.";
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

const char* ProtectFailureText(ProtectResult result) {
    switch (result) {
    case ProtectResult::BadFile: return ReadFailureText(ReadResult::BadFile);
    case ProtectResult::WrongPasswordOrDamaged: return kWrongPasswordOrDamaged;
    case ProtectResult::NoMemory: return kNoMemory;
    default: return "The system's cryptography failed!";
    }
}

// Deriving a key takes a noticeable moment on purpose; the message loop waits meanwhile, so nothing
// changes the cursor back before the destructor does.
class WaitCursor {
  public:
    WaitCursor() : m_previous(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR m_previous;
};

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

// An encrypted or protected list under another name, told by its first bytes: "encrypted", "protected"
// or nullptr.
const char* HeldListKind(const std::string& path) {
    CFile file;
    uint8_t head[64] = {};
    if (!file.Open(path.c_str(), CFile::modeRead))
        return nullptr;
    UINT got = file.Read(head, sizeof head);
    if (HasContainerHeader(head, got))
        return "encrypted";
    ProtectedHeader header; // the header alone tells: the zeros after a short read fail its magic
    return ReadProtectedHeader(head, sizeof head, header) == ProtectResult::Ok ? "protected" : nullptr;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Overwrites a file's bytes with zeros on the disk before deleting it, so that its clear text does not
// stay behind in the freed clusters (as far as the file system writes in place).
bool WipeAndDelete(const std::string& path) {
    static const char kZeros[4096] = {};
    CFile file;
    if (file.Open(path.c_str(), CFile::modeWrite)) {
        for (uint64_t left = file.GetLength(); left > 0;) {
            UINT n = UINT(left < sizeof kZeros ? left : sizeof kZeros);
            if (!file.Write(kZeros, n))
                break;
            left -= n;
        }
        file.Flush();
        file.Close();
    }
    return DeleteFileW(Widen(path).c_str()) != FALSE;
}

// A protected list's text is what its list file would hold: a plain list's own bytes, a login list's
// with its login and password lines in clear.
bool SealListBytes(const ListFileState& s, const std::vector<ListEntry>& entries, EncodedText& sealed) {
    ListKind kind = s.kind == kLoginList ? kLoginList : kPlainList;
    EncodedText file = BuildListFile(entries, kind, s.encoding, SystemCodePage());
    std::string text = kind == kLoginList ? UnshiftLoginText(file.bytes) : file.bytes;
    // A field byte that turns into a line end would move the lines: refuse it rather than lose entries.
    std::string back = kind == kLoginList ? ShiftLoginText(text) : std::string();
    bool exact = kind != kLoginList || back == file.bytes;
    std::vector<uint8_t> bytes;
    bool ok = exact && SealProtectedList(s.key, kind, text, bytes) == ProtectResult::Ok;
    WipeString(back);
    WipeString(text);
    WipeString(file.bytes);
    sealed = {std::string(bytes.begin(), bytes.end()), file.encoding};
    return ok;
}

// A protected list, or the login list once its file is protected: saved sealed under the kept key.
bool IsProtected(const ListFileState& s) {
    return s.kind == kProtectedList || (s.kind == kLoginList && s.key.IsSet());
}

// Where the list on screen is saved when it is the login list.
std::string LoginHome(const ListFileState& s) {
    return IsProtected(s) ? ProtectedLoginFile(LoginFilePath()) : LoginFilePath();
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
        s.key.Clear(); // a protected list loaded anew asks for its password
        return LoadInto(s, name);
    });
}

bool ListFiles::LoadInto(ListFileState& s, const std::string& name) {
    std::string login = LoginFilePath();
    std::string path =
        FileToRead(ResolveListPath(name, ProgramFolder()), login, FileExists(ProtectedLoginFile(login)));
    WriteSetting(TextSetting::LastDir, FolderPart(path));
    s.kind = KindForLoad(path, s.kind, login);
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
    if (ReadsProtected(s.kind, path, LoginFilePath()))
        return ReadProtectedEntries(s, bytes, entries);
    s.key.Clear();
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

// Opens with the key kept (a list this command wrote) or else with the password the user types.
bool ListFiles::ReadProtectedEntries(ListFileState& s, const std::string& bytes,
                                     std::vector<ListEntry>& entries) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    ListKind stored = kPlainList;
    std::string text;
    ProtectResult result = OpenProtectedList(data, bytes.size(), s.key, stored, text);
    if (result == ProtectResult::WrongPasswordOrDamaged) {
        std::string typed;
        if (!m_window.AskPassword(PasswordMode::OpenProtected, typed))
            return false;
        WaitCursor wait;
        result = OpenProtectedList(data, bytes.size(), typed, s.key, stored, text);
        WipeString(typed);
    }
    if (result != ProtectResult::Ok)
        return Refuse(ProtectFailureText(result));
    // Where the file lies decides how its list file reads, as for the list file itself.
    std::string file = stored == kLoginList ? ShiftLoginText(text) : text;
    WipeString(text);
    ListFile list = ParseListFile(file, s.kind == kLoginList ? kLoginList : kPlainList, SystemCodePage());
    WipeString(file);
    s.encoding = list.encoding;
    entries.swap(list.entries);
    return true;
}

bool ListFiles::Refuse(const char* message) {
    m_window.Tell(message, MessageIcon::Error);
    return false;
}

bool ListFiles::CheckPassword(ListFileState& s, const std::string& path, const std::string& stored) {
    if (SystemPasswordCase().Same(stored, s.password))
        return true;
    m_window.Tell(path + "\r\n" + kPasswordNotice, MessageIcon::Warning);
    std::string typed;
    bool answered = m_window.AskPassword(PasswordMode::Open, typed);
    if (answered)
        SetPassword(s, typed);
    WipeString(typed);
    if (answered && SystemPasswordCase().Same(stored, s.password))
        return true;
    m_window.Tell("Incorrect Password! File not opened.", MessageIcon::Error);
    return false;
}

bool ListFiles::Save(SaveMode mode) {
    return Commit(kCantSave, [&](ListFileState& s) { return SaveFrom(s, mode); });
}

bool ListFiles::SaveFrom(ListFileState& s, SaveMode mode) {
    SavePlan plan = PlanSave(mode, s.kind, s.file, LoginHome(s), s.unloadedFile);
    s.kind = plan.kind;
    if (plan.chooseName) {
        FileChoice choice = mode == SaveMode::ProtectedAs ? FileChoice::SaveProtected : FileChoice::SaveList;
        if (!m_window.ChooseListFile("Save As", choice, plan.file))
            return false;
        s.kind = KindOfChosenName(plan.file);
        if (s.kind == kEncryptedList && !AskNewPassword(s))
            return false;
        if (s.kind == kProtectedList && !AskNewKey(s))
            return false;
    }
    std::vector<ListEntry> entries = m_window.ReadItems(s.kind);
    bool written = WriteList(s, plan.file, entries);
    WipeEntries(entries);
    if (!written)
        return false;
    if (!IsProtected(s))
        s.key.Clear(); // saved unprotected: the key closes with the protected file
    s.file = plan.file;
    s.unloadedFile.clear();
    WriteSetting(TextSetting::List, s.file);
    return true;
}

bool ListFiles::WriteList(ListFileState& s, const std::string& file, const std::vector<ListEntry>& entries) {
    EncodedText encoded;
    if (!ListFileBytes(s, file, entries, encoded))
        return Refuse(kCantSave);
    // Temporary file, flush, then replace: a failed save leaves the old file as it was.
    bool written = WriteWholeFileSafely(file.c_str(), encoded.bytes.data(), encoded.bytes.size());
    WipeString(encoded.bytes); // a login or encrypted list's bytes hold passwords
    if (!written)
        return Refuse(kCantSave);
    s.encoding = encoded.encoding; // an ANSI file that needed more is UTF-8 now
    return true;
}

bool ListFiles::ListFileBytes(const ListFileState& s, const std::string& file,
                              const std::vector<ListEntry>& entries, EncodedText& encoded) {
    if (IsProtected(s))
        return SealListBytes(s, entries, encoded);
    if (s.kind != kEncryptedList) {
        encoded = BuildListFile(entries, s.kind, s.encoding, SystemCodePage());
        return true;
    }
    std::string listText = BuildListText(entries, kPlainList);
    std::string plainText = ComposePasswordLine(s.password, listText);
    EncodedText inner = EncodeListText(plainText, s.encoding, SystemCodePage());
    WipeString(listText);
    WipeString(plainText);
    // The container bytes are only compressed, not hidden: they are wiped once written.
    std::vector<uint8_t> bytes =
        EncryptedListBytes(inner.bytes, EncodeNameField(NameField(file), SystemCodePage()));
    WipeString(inner.bytes);
    encoded = {std::string(bytes.begin(), bytes.end()), inner.encoding};
    WipeBytes(bytes);
    return true;
}

bool ListFiles::AskNewPassword(ListFileState& s) {
    std::string typed;
    bool answered = m_window.AskPassword(PasswordMode::NewPassword, typed);
    if (answered)
        SetPassword(s, typed);
    WipeString(typed);
    return answered;
}

// A new password makes a new key with a fresh salt.
bool ListFiles::AskNewKey(ListFileState& s) {
    std::string typed;
    if (!m_window.AskPassword(PasswordMode::NewProtected, typed))
        return false;
    ProtectResult result;
    {
        WaitCursor wait;
        result = s.key.Create(typed);
    }
    WipeString(typed);
    return result == ProtectResult::Ok || Refuse(ProtectFailureText(result));
}

void ListFiles::New() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string file = "NewList.txt";
        if (!m_window.ChooseListFile("Open a new Listbox File", FileChoice::SaveList, file))
            return false;
        // A plain placeholder under an encrypted or protected list's name could never be opened again, and
        // over such a list it would destroy it: such a name makes a new list of that kind, behind a password.
        ListKind chosen = KindOfChosenName(file);
        if (chosen == kEncryptedList || chosen == kProtectedList)
            return NewListBehindPassword(s, file, chosen);
        if (const char* held = HeldListKind(file))
            return Refuse((file + "\r\nis a Pelmar " + held + " file" + kNotReplaced).c_str());
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
        // A file of an encrypted or protected list chosen here asks for its password again; the load
        // makes it a login, encrypted or protected list by its name.
        SetPassword(s, std::string());
        s.key.Clear();
        s.kind = kPlainList;
        return LoadInto(s, file);
    });
}

void ListFiles::LoadLoginFile() {
    Load(LoginFilePath(), kLoginList);
}

void ListFiles::SaveAs() {
    // Only a plain list may change its name here: a login list has its fixed file, and an encrypted or
    // protected list changes its name through its own Save as.
    Save(m_state.kind == kPlainList ? SaveMode::As : SaveMode::InPlace);
}

void ListFiles::EncryptedNew() {
    NewBehindPassword(kEncryptedList);
}

void ListFiles::ProtectedNew() {
    NewBehindPassword(kProtectedList);
}

void ListFiles::NewBehindPassword(ListKind kind) {
    Commit(kNoMemory, [&](ListFileState& s) {
        bool encrypted = kind == kEncryptedList;
        std::string file = encrypted ? "NewList.ple" : "NewList.plk";
        FileChoice choice = encrypted ? FileChoice::SaveEncrypted : FileChoice::SaveProtected;
        return m_window.ChooseListFile("Open a new Listbox File", choice, file) &&
               NewListBehindPassword(s, file, kind);
    });
}

// An encrypted list opens with the password it was written with, a protected list with the key it was
// sealed under: the password is asked only once.
bool ListFiles::NewListBehindPassword(ListFileState& s, const std::string& file, ListKind kind) {
    if (!(kind == kEncryptedList ? AskNewPassword(s) : AskNewKey(s)))
        return false;
    s.kind = kind;
    s.encoding = TextEncoding::Ansi;
    return WriteList(s, file, {ListEntry{kPlaceholderEntry, "", ""}}) && LoadInto(s, file);
}

void ListFiles::EncryptedOpen() {
    OpenBehindPassword(kEncryptedList);
}

void ListFiles::ProtectedOpen() {
    OpenBehindPassword(kProtectedList);
}

// Forgets the password and key first, so the chosen file asks for its own.
void ListFiles::OpenBehindPassword(ListKind kind) {
    Commit(kNoMemory, [&](ListFileState& s) {
        bool encrypted = kind == kEncryptedList;
        std::string file;
        if (!m_window.ChooseListFile(encrypted ? "Open an encrypted Listbox File"
                                               : "Open a protected Listbox File",
                                     encrypted ? FileChoice::OpenEncrypted : FileChoice::OpenProtected, file))
            return false;
        s.kind = kind;
        s.key.Clear();
        SetPassword(s, std::string());
        return LoadInto(s, file);
    });
}

void ListFiles::EncryptedSaveAs() {
    Save(SaveMode::EncryptedAs);
}

void ListFiles::ProtectedSaveAs() {
    Save(SaveMode::ProtectedAs);
}

// Writes the login list as its file holds it (under the kept key or its password if it is protected
// already, which then changes that password) to the protected login file, and reads that back with the
// new key before the old file may go: a file that opens under the key holds exactly what was sealed.
void ListFiles::ProtectLoginFile() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string login = LoginFilePath(), target = ProtectedLoginFile(login);
        bool existed = FileExists(target);
        std::vector<ListEntry> entries;
        if (s.kind != kLoginList)
            s.key.Clear();
        s.kind = kLoginList;
        bool written = ReadEntries(s, FileToRead(login, login, existed), entries) && AskNewKey(s) &&
                       WriteList(s, target, entries);
        WipeEntries(entries);
        if (!written)
            return false;
        if (!LoadInto(s, target)) {
            if (!existed)
                DeleteFileW(Widen(target).c_str()); // the login file stays the login list's home
            return false;
        }
        return OfferToDelete(target, login);
    });
}

// True whatever the answer: the login list is protected either way.
bool ListFiles::OfferToDelete(const std::string& protectedFile, const std::string& loginFile) {
    if (!FileExists(loginFile))
        return true;
    std::string question = protectedFile +
                           "\r\nnow holds the login list, protected.\r\n\r\nWipe and delete " + loginFile +
                           ", which holds it unprotected?";
    if (m_window.Confirm(question) && !WipeAndDelete(loginFile))
        m_window.Tell("Can't delete " + loginFile + "!", MessageIcon::Error);
    return true;
}
