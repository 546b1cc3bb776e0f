// The list-file commands: New, Open, Load login file, Save as, the in-place save after an edit, and the
// encrypted and protected commands, each committing its state only when it succeeded.
#include "list/ListFiles.h"

#include <windows.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "common/Paths.h"
#include "common/Text.h"
#include "crypt/Container.h"
#include "crypt/PasswordCaseWin.h"
#include "framework/File.h"
#include "framework/WideText.h"
#include "list/AnsiCodePageWin.h"
#include "list/CsvImport.h"
#include "list/ListFileCodec.h"
#include "settings/Settings.h"

namespace {
const char kPlaceholderEntry[] = "Modify this first item";
const char kPasswordNotice[] =
    "is a Pelmar encrypted file.\r\nYou will need to enter its password to open it.";
const char kNotReplaced[] = ". Choose another name for the new list.";
const char kLoginFileName[] = "\r\nis the login list's file. Choose another name for this list.";
const char kNotTheLoginList[] =
    "\r\nholds a protected list that is not the login list, and is not replaced.\r\nMove or rename it "
    "to protect the login list.";
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

const char* ReadFailureText(ReadResult result) {
    switch (result) {
    case ReadResult::CantOpen: return "Can't open List Box file!";
    case ReadResult::BadFile: return "File error!";
    default: return kNoMemory;
    }
}

// A file that is refused is refused before anything is shown, so the list on screen stays as it was.
const char* FailureText(ListFileResult result) {
    switch (result) {
    case ListFileResult::NotThisKind:
    case ListFileResult::Damaged: return ReadFailureText(ReadResult::BadFile);
    case ListFileResult::WrongPassword: return "Incorrect Password! File not opened.";
    case ListFileResult::WrongPasswordOrDamaged: return kWrongPasswordOrDamaged;
    case ListFileResult::NoMemory: return kNoMemory;
    default: return "The system's cryptography failed!";
    }
}

const char* ProtectFailureText(ProtectResult result) {
    switch (result) {
    case ProtectResult::BadFile: return FailureText(ListFileResult::Damaged);
    case ProtectResult::WrongPasswordOrDamaged: return kWrongPasswordOrDamaged;
    case ProtectResult::NoMemory: return kNoMemory;
    default: return FailureText(ListFileResult::SystemError);
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
    for (ListEntry& e : entries)
        WipeEntry(e);
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

// A file with something in it, which New replaces only when the user says so.
bool HasContent(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeHigh || data.nFileSizeLow);
}

// What the protected login file holds, by its header alone (no password needed).
ProtectedLoginContent HeldByProtectedLogin(const std::string& path) {
    if (!FileExists(path))
        return ProtectedLoginContent::None;
    CFile file;
    uint8_t head[64] = {};
    if (file.Open(path.c_str(), CFile::modeRead))
        file.Read(head, sizeof head);
    ProtectedHeader header; // a short or unreadable file leaves zeros, which fail its magic
    if (ReadProtectedHeader(head, sizeof head, header) != ProtectResult::Ok)
        return ProtectedLoginContent::Damaged;
    return header.kind == kLoginList ? ProtectedLoginContent::LoginList : ProtectedLoginContent::PlainList;
}

// A protected login file that can't be opened hides the login file kept beside it: say it is still there.
std::string LoginFileStillThere(const std::string& path, ListFileResult result) {
    std::string login = LoginFilePath();
    if (!EqualsIgnoreCase(path, ProtectedLoginFile(login)) || !FileExists(login))
        return std::string();
    return "\r\n\r\n" + path + (result == ListFileResult::Damaged ? " is damaged." : " was not opened.") +
           "\r\nThe unprotected login file " + login + " is still there.";
}

bool SameEntries(const std::vector<ListEntry>& a, const std::vector<ListEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].login != b[i].login || a[i].password != b[i].password)
            return false;
    }
    return true;
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

void NoteFileBytes(ListFileState& s, const std::string& bytes) {
    s.fileHash = ContentHash(bytes);
    s.fileHashKnown = true;
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
        m_moves.clear(); // the list on screen was loaded or saved
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
    std::string path = FileToRead(ResolveListPath(name, ProgramFolder()), login,
                                  HeldByProtectedLogin(ProtectedLoginFile(login)));
    WriteSetting(TextSetting::LastDir, FolderPart(path));
    s.kind = KindForLoad(path, s.kind, login);
    std::vector<ListEntry> entries;
    if (!ReadEntries(s, path, entries))
        return false;
    WriteSetting(TextSetting::List, path);
    // Only a complete list replaces the one on screen; filling the boxes no longer fails.
    ShowList(std::move(entries), s.kind); // not copied: a long list loads sooner
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
    NoteFileBytes(s, bytes);
    bool sealed = ReadsProtected(s.kind, path, LoginFilePath());
    if (!sealed)
        s.key.Clear();
    ListFile file;
    bool ok = true;
    if (sealed)
        ok = ReadProtectedEntries(s, path, bytes, file);
    else if (s.kind == kEncryptedList)
        ok = ReadEncryptedEntries(s, path, bytes, file);
    else
        file = ReadTextList(bytes, s.kind, SystemCodePage());
    WipeString(bytes);
    if (ok) {
        s.encoding = file.encoding;
        entries.swap(file.entries);
    }
    WipeEntries(file.entries);
    return ok;
}

// Opens with the key kept (a list this command wrote) or else with the password the user types.
bool ListFiles::ReadProtectedEntries(ListFileState& s, const std::string& path, const std::string& bytes,
                                     ListFile& file) {
    ListKind stored = kPlainList;
    ListFileResult result = ReadProtectedList(bytes, s.key, s.kind, SystemCodePage(), stored, file);
    if (result == ListFileResult::WrongPasswordOrDamaged) {
        std::string typed;
        if (!m_window.AskFilePassword(PasswordMode::OpenProtected, path, typed))
            return false;
        WaitCursor wait;
        result = ReadProtectedList(bytes, typed, s.key, s.kind, SystemCodePage(), stored, file);
        WipeString(typed);
    }
    if (result != ListFileResult::Ok)
        return Refuse((FailureText(result) + LoginFileStillThere(path, result)).c_str());
    // A protected plain list under the protected login file's name is opened as what it is.
    if (s.kind == kLoginList && stored != kLoginList)
        s.kind = kProtectedList;
    return true;
}

void ListFiles::ShowList(std::vector<ListEntry> entries, ListKind kind) {
    m_model.Replace(std::move(entries), kind);
    m_window.ShowEntries();
}

// The entries as a list of kind holds them: only a login list has logins and passwords.
std::vector<ListEntry> ListFiles::EntriesAs(ListKind kind) const {
    std::vector<ListEntry> entries = m_model.Entries();
    if (kind != kLoginList) {
        for (ListEntry& e : entries) {
            WipeString(e.login);
            WipeString(e.password);
            WipeString(e.loginBytes);
            WipeString(e.passwordBytes);
        }
    }
    return entries;
}

bool ListFiles::Refuse(const char* message) {
    m_window.Tell(message, MessageIcon::Error);
    return false;
}

// Opens with the password kept (a list this command wrote) or else with the password the user types.
bool ListFiles::ReadEncryptedEntries(ListFileState& s, const std::string& path, const std::string& bytes,
                                     ListFile& file) {
    ListFileResult result =
        ReadEncryptedList(bytes, s.password, SystemPasswordCase(), SystemCodePage(), file);
    if (result == ListFileResult::WrongPassword) {
        m_window.Tell(path + "\r\n" + kPasswordNotice, MessageIcon::Warning);
        std::string typed;
        if (m_window.AskPassword(PasswordMode::Open, typed)) {
            SetPassword(s, typed);
            result = ReadEncryptedList(bytes, s.password, SystemPasswordCase(), SystemCodePage(), file);
        }
        WipeString(typed);
    }
    return result == ListFileResult::Ok || Refuse(FailureText(result));
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
        if (IsLoginFileName(plan.file, LoginFilePath()))
            return Refuse((plan.file + kLoginFileName).c_str());
        s.kind = KindOfChosenName(plan.file);
        if (s.kind == kEncryptedList && !AskNewPassword(s))
            return false;
        if (s.kind == kProtectedList && !AskNewKey(s))
            return false;
    }
    std::vector<ListEntry> entries = EntriesAs(s.kind);
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
    if (written)
        NoteFileBytes(s, encoded.bytes);
    WipeString(encoded.bytes); // a login or encrypted list's bytes hold passwords
    if (!written)
        return Refuse(kCantSave);
    s.encoding = encoded.encoding; // an ANSI file that needed more is UTF-8 now
    return true;
}

bool ListFiles::ListFileBytes(const ListFileState& s, const std::string& file,
                              const std::vector<ListEntry>& entries, EncodedText& encoded) {
    if (IsProtected(s)) {
        ListKind layout = s.kind == kLoginList ? kLoginList : kPlainList;
        return WriteProtectedList(entries, layout, s.encoding, s.key, SystemCodePage(), encoded) ==
               ListFileResult::Ok;
    }
    if (s.kind != kEncryptedList) {
        encoded = WriteTextList(entries, s.kind, s.encoding, SystemCodePage());
        return true;
    }
    std::string name = EncodeNameField(NameField(file), SystemCodePage());
    encoded = WriteEncryptedList(entries, s.encoding, s.password, name, SystemCodePage());
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
bool ListFiles::AskNewKey(ListFileState& s, const std::string& file) {
    std::string typed;
    if (!m_window.AskFilePassword(PasswordMode::NewProtected, file, typed))
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
        if (!MayMakeNewList(file))
            return false;
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
    if (!MayMakeNewList(file) || !(kind == kEncryptedList ? AskNewPassword(s) : AskNewKey(s, file)))
        return false;
    s.kind = kind;
    s.encoding = TextEncoding::Ansi;
    return WriteList(s, file, {ListEntry{kPlaceholderEntry, "", ""}}) && LoadInto(s, file);
}

// A new list never takes the login file's names (it would be read as the login list), and replaces a
// file with something in it only when the user says so.
bool ListFiles::MayMakeNewList(const std::string& file) {
    if (IsLoginFileName(file, LoginFilePath()))
        return Refuse((file + kLoginFileName).c_str());
    return !HasContent(file) ||
           m_window.Confirm(file + " already exists. Replace it with a new, empty list?");
}

void ListFiles::EncryptedOpen() {
    OpenBehindPassword(kEncryptedList);
}

void ListFiles::ProtectedOpen() {
    OpenBehindPassword(kProtectedList);
}

// Adds the logins of a browser's or password manager's CSV export to the login list, which takes the place
// of any other list on screen (made first when there is none yet), and saves it at once. The file is read
// before anything else happens: one that is refused changes nothing.
void ListFiles::ImportLogins() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string csvFile;
        LoginCsv csv;
        if (!m_window.ChooseListFile("Import logins", FileChoice::OpenCsv, csvFile) ||
            !ReadLoginCsvFile(csvFile, csv))
            return false;
        std::vector<ListEntry> entries;
        bool imported = LoginListForImport(s, entries) && SaveImport(s, entries, csv, csvFile);
        WipeEntries(entries);
        return imported;
    });
}

bool ListFiles::ReadLoginCsvFile(const std::string& path, LoginCsv& csv) {
    std::string bytes;
    ReadResult read = ReadListFile(path, bytes);
    if (read != ReadResult::Ok)
        return Refuse(ReadFailureText(read));
    csv = ReadLoginCsv(bytes, SystemCodePage());
    WipeString(bytes);
    if (!csv.understood)
        m_window.Tell(path + "\r\nholds no logins to import: " + csv.refusal + ".", MessageIcon::Error);
    return csv.understood;
}

// The login list's entries: those on screen, or those of its file (protected or not), or none for a login
// list made now.
bool ListFiles::LoginListForImport(ListFileState& s, std::vector<ListEntry>& entries) {
    if (s.kind == kLoginList) {
        entries = EntriesAs(kLoginList);
        return true;
    }
    std::string login = LoginFilePath();
    std::string path = FileToRead(login, login, FileExists(ProtectedLoginFile(login)));
    s.kind = kLoginList;
    s.key.Clear(); // another protected list's key; the login list's own is asked for
    return FileExists(path) ? ReadEntries(s, path, entries) : CreateLoginList(s);
}

// Protected under a new password, or, once told what that means, unprotected.
bool ListFiles::CreateLoginList(ListFileState& s) {
    std::string login = LoginFilePath();
    s.encoding = TextEncoding::Ansi;
    if (m_window.Confirm("There is no login list yet.\r\n\r\nMake it protected by a password, as " +
                         ProtectedLoginFile(login) + "?"))
        return AskNewKey(s);
    return m_window.Confirm(
        "Make it unprotected, as " + login +
        "?\r\n\r\nAnyone who can read that file can read every login and password in it.");
}

bool ListFiles::SaveImport(ListFileState& s, std::vector<ListEntry>& entries, LoginCsv& csv,
                           const std::string& csvFile) {
    size_t first = entries.size();
    size_t imported = AppendLogins(entries, csv);
    std::string home = LoginHome(s);
    if (!WriteList(s, home, entries))
        return false;
    s.file = home;
    s.unloadedFile.clear();
    WriteSetting(TextSetting::List, home);
    ShowList(entries, kLoginList);
    if (imported)
        m_window.SelectItem(int(first));
    m_window.Tell(
        "Logins from " + csvFile + ": " + ImportSummary(csv, imported) +
            ".\r\n\r\nThat file holds the passwords in clear: delete it once you no longer need it.",
        MessageIcon::Warning);
    return true;
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
    // The login list has one home: protecting it is Protect login file, never a clear save in place.
    if (m_state.kind == kLoginList)
        return ProtectLoginFile();
    Save(SaveMode::ProtectedAs);
}

// Seals the login list of the login file (or, without one, of the protected login file, under a new
// password) into the protected login file, and reads that back with the new key before the old file may
// go: only a file that holds exactly the entries read is offered to replace the login file.
void ListFiles::ProtectLoginFile() {
    Commit(kNoMemory, [&](ListFileState& s) {
        std::string login = LoginFilePath(), target = ProtectedLoginFile(login);
        bool existed = FileExists(target);
        ProtectLoginPlan plan = PlanProtectLogin(FileExists(login), HeldByProtectedLogin(target));
        if (plan.refuse)
            return Refuse((target + kNotTheLoginList).c_str());
        if (plan.askToReplace &&
            !m_window.Confirm(target + "\r\nalready exists.\r\n\r\nReplace it with the login list from " +
                              login + "?"))
            return false;
        if (s.kind != kLoginList)
            s.key.Clear();
        s.kind = kLoginList;
        std::vector<ListEntry> entries;
        bool sealed = ReadEntries(s, plan.fromLoginFile ? login : target, entries) && AskNewKey(s, target) &&
                      WriteList(s, target, entries);
        bool loaded = sealed && LoadInto(s, target);
        bool whole = loaded && ReadsBackAs(s, target, entries);
        WipeEntries(entries);
        if (sealed && !loaded && !existed)
            DeleteFileW(Widen(target).c_str()); // the login file stays the login list's home
        return loaded && (!plan.fromLoginFile || OfferToDelete(target, login, whole));
    });
}

// Whether file, decrypted again under the key just kept, holds exactly entries.
bool ListFiles::ReadsBackAs(const ListFileState& s, const std::string& file,
                            const std::vector<ListEntry>& entries) {
    ListFileState copy = s;
    std::vector<ListEntry> back;
    bool same = ReadEntries(copy, file, back) && SameEntries(back, entries);
    WipeEntries(back);
    return same;
}

// True whatever the answer: the login list is protected either way.
bool ListFiles::OfferToDelete(const std::string& protectedFile, const std::string& loginFile, bool whole) {
    if (!FileExists(loginFile))
        return true;
    if (!whole) {
        m_window.Tell(protectedFile + "\r\ndoes not read back as " + loginFile +
                          " holds the login list.\r\n" + loginFile + " is kept.",
                      MessageIcon::Warning);
        return true;
    }
    std::string question = protectedFile +
                           "\r\nnow holds the login list, protected.\r\n\r\nWipe and delete " + loginFile +
                           ", which holds it unprotected?";
    if (m_window.Confirm(question) && !WipeAndDelete(loginFile))
        m_window.Tell("Can't delete " + loginFile + "!", MessageIcon::Error);
    return true;
}

namespace {
const char kEditMadeOnChange[] = " was changed by another program; your change was made on its new content.";
const char kEditNotMade[] = " was changed by another program and no longer holds the entry you edited: your "
                            "change was not made. The list shows the file's new content.";
const char kUnderOtherPassword[] =
    " was saved by another program under another password, or is damaged. It was not changed and your change "
    "is not saved: open it again with its password, or keep the list shown with Save as.";
const char kCantReadNow[] = " can't be read now: your change is not saved.";

enum class Outside { Unchanged, Changed, Unreadable };

// Whether the file an in-place save replaces still holds the bytes last read or written here; bytes gets
// what it holds when it changed. A file that is gone is written anew, as it always was.
Outside ChangedOutside(const ListFileState& s, std::string& bytes) {
    SavePlan plan = PlanSave(SaveMode::InPlace, s.kind, s.file, LoginHome(s), s.unloadedFile);
    if (!s.fileHashKnown || plan.chooseName || !EqualsIgnoreCase(plan.file, s.file) || !FileExists(s.file))
        return Outside::Unchanged;
    if (ReadListFile(s.file, bytes) != ReadResult::Ok)
        return Outside::Unreadable;
    return ContentHash(bytes) == s.fileHash ? Outside::Unchanged : Outside::Changed;
}

// Another program's version of the list, read under the password or key the list was read with and
// asking nothing: false when it is no longer under them, or is damaged.
bool ReadChangedEntries(ListFileState& s, const std::string& bytes, std::vector<ListEntry>& entries) {
    ListFile file;
    ListFileResult result = ListFileResult::Ok;
    ListKind stored = kPlainList;
    if (ReadsProtected(s.kind, s.file, LoginFilePath()))
        result = ReadProtectedList(bytes, s.key, s.kind, SystemCodePage(), stored, file);
    else if (s.kind == kEncryptedList)
        result = ReadEncryptedList(bytes, s.password, PortablePasswordCase(), SystemCodePage(), file);
    else if (HoldsSealedList(bytes))
        return false; // its text would be written over it in clear
    else
        file = ReadTextList(bytes, s.kind, SystemCodePage());
    if (result == ListFileResult::Ok) {
        s.encoding = file.encoding;
        entries.swap(file.entries);
    }
    WipeEntries(file.entries);
    return result == ListFileResult::Ok;
}
} // namespace

// Another program's change to the list file is never written over: the edit is made on what the file
// holds now, or left out.
bool ListFiles::SaveInPlace(const ListEdit& edit) {
    return Commit(kCantSave, [&](ListFileState& s) {
        std::string bytes;
        Outside outside = ChangedOutside(s, bytes);
        bool saved = outside == Outside::Unchanged ? SaveFrom(s, SaveMode::InPlace)
                     : outside == Outside::Changed ? SaveOverOutsideChange(s, bytes, edit)
                                                   : Refuse((s.file + kCantReadNow).c_str());
        WipeString(bytes);
        return saved;
    });
}

// Where the edited entry is gone, the file stays as the other program left it and the list shows it. A
// file under another password or key is left alone; the edit then stays on screen, to be saved elsewhere.
bool ListFiles::SaveOverOutsideChange(ListFileState& s, const std::string& bytes, const ListEdit& edit) {
    std::vector<ListEntry> entries;
    if (!ReadChangedEntries(s, bytes, entries))
        return Refuse((s.file + kUnderOtherPassword).c_str());
    // Moves go with the edit they were saved with; those whose entries were moved apart are left out.
    std::vector<ListEntry> edited = entries;
    for (const ListEdit& move : m_moves)
        ReapplyEdit(move, edited);
    bool applied = ReapplyEdit(edit, edited);
    bool saved = !applied || WriteList(s, s.file, edited);
    if (saved) {
        if (!applied)
            NoteFileBytes(s, bytes); // the list shown is what the file holds
        ShowList(applied ? edited : entries, s.kind);
        m_window.Tell(s.file + (applied ? kEditMadeOnChange : kEditNotMade), MessageIcon::Warning);
    }
    WipeEntries(edited);
    WipeEntries(entries);
    return saved;
}
