// The list files of the main window: which file the list on screen came from, its kind, the start-up guard,
// an encrypted list's password and a protected list's key, and every command that loads or saves them.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

#include "common/Wipe.h"
#include "crypt/ProtectedList.h"
#include "list/ListEdit.h"
#include "list/ListFileRules.h"
#include "list/ListView.h"
#include "list/ListWindow.h"
#include "list/TextEncoding.h"

struct LoginCsv;

struct ListFileState {
    ListKind kind = kPlainList;
    std::string file;         // the list file the list on screen belongs to
    std::string unloadedFile; // the list file that failed to load at start-up: never replaced in place
    std::string password;     // the password of an encrypted list
    TextEncoding encoding = TextEncoding::Ansi; // the file's encoding, kept when it is saved
    // The key of a protected list, or of the login list once its file is protected: set exactly while one
    // is on screen (a login list with a key is saved to the protected login file). Wipes itself.
    ProtectionKey key;
    // The hash of the bytes last read from or written to the file: another program's change shows.
    uint64_t fileHash = 0;
    bool fileHashKnown = false;

    ListFileState() = default;
    ListFileState(const ListFileState&) = default;
    ListFileState& operator=(const ListFileState& other) {
        if (this != &other) {
            WipeString(password);
            kind = other.kind;
            file = other.file;
            unloadedFile = other.unloadedFile;
            password = other.password;
            encoding = other.encoding;
            key = other.key;
            fileHash = other.fileHash;
            fileHashKnown = other.fileHashKnown;
        }
        return *this;
    }
    ~ListFileState() { WipeString(password); }
    void Swap(ListFileState& other) noexcept {
        std::swap(kind, other.kind);
        file.swap(other.file);
        unloadedFile.swap(other.unloadedFile);
        password.swap(other.password);
        std::swap(encoding, other.encoding);
        std::swap(key, other.key); // the temporary it goes through wipes itself
        std::swap(fileHash, other.fileHash);
        std::swap(fileHashKnown, other.fileHashKnown);
    }
};

// Each command works on a copy of the state and commits it only when it succeeded: a failed, cancelled
// or throwing command leaves kind, file, guard and password as they were.
class ListFiles {
  public:
    explicit ListFiles(ListWindow& window) : m_window(window) {}

    void LoadStartupList();
    void New();
    void Open();
    void LoadLoginFile();
    void SaveAs();
    void EncryptedNew();
    void EncryptedOpen();
    void EncryptedSaveAs();
    void ProtectedNew();
    void ProtectedOpen();
    void ProtectedSaveAs();
    void ProtectLoginFile();
    void ImportLogins();
    // After Add, Modify and Delete: edit is made again on the file's new content where another program
    // changed the file since it was read or written here.
    bool SaveInPlace(const ListEdit& edit);
    // A move up or down: saved with the next edit, and made again with it on a file another program changed.
    void NoteMove(const ListEdit& move) { m_moves.push_back(move); }

    // Loads name (a bare name lies beside the program) as kind, unless its name decides otherwise.
    bool Load(const std::string& name, ListKind kind);
    bool Save(SaveMode mode);

    // The entries on screen and the view the list box shows of them.
    ListModel& Model() { return m_model; }
    const ListModel& Model() const { return m_model; }
    // Replaces the entries on screen and shows them.
    void ShowList(std::vector<ListEntry> entries, ListKind kind);

    const ListFileState& State() const { return m_state; }
    ListKind Kind() const { return m_state.kind; }
    // Replaces the whole state; tests set up their cases with it.
    void SetState(const ListFileState& state) { m_state = state; }

  private:
    template <typename Command> bool Commit(const char* noMemory, Command command);
    bool LoadInto(ListFileState& s, const std::string& name);
    bool ReadEntries(ListFileState& s, const std::string& path, std::vector<ListEntry>& entries);
    bool ReadProtectedEntries(ListFileState& s, const std::string& path, const std::string& bytes,
                              ListFile& file);
    std::vector<ListEntry> EntriesAs(ListKind kind) const;
    bool Refuse(const char* message);
    bool ReadEncryptedEntries(ListFileState& s, const std::string& path, const std::string& bytes,
                              ListFile& file);
    bool SaveFrom(ListFileState& s, SaveMode mode);
    bool WriteList(ListFileState& s, const std::string& file, const std::vector<ListEntry>& entries);
    static bool ListFileBytes(const ListFileState& s, const std::string& file,
                              const std::vector<ListEntry>& entries, EncodedText& encoded);
    bool AskNewPassword(ListFileState& s);
    // file: the file the key is for, named by the password prompt.
    bool AskNewKey(ListFileState& s, const std::string& file = std::string());
    void NewBehindPassword(ListKind kind);
    bool NewListBehindPassword(ListFileState& s, const std::string& file, ListKind kind);
    void OpenBehindPassword(ListKind kind);
    bool MayMakeNewList(const std::string& file);
    bool ReadsBackAs(const ListFileState& s, const std::string& file, const std::vector<ListEntry>& entries);
    bool OfferToDelete(const std::string& protectedFile, const std::string& loginFile, bool whole);
    bool SaveOverOutsideChange(ListFileState& s, const std::string& bytes, const ListEdit& edit);
    bool ReadLoginCsvFile(const std::string& path, LoginCsv& csv);
    bool LoginListForImport(ListFileState& s, std::vector<ListEntry>& entries);
    bool CreateLoginList(ListFileState& s);
    bool SaveImport(ListFileState& s, std::vector<ListEntry>& entries, LoginCsv& csv,
                    const std::string& csvFile);

    ListWindow& m_window;
    ListFileState m_state;
    ListModel m_model;
    std::vector<ListEdit> m_moves; // made on screen since the list was last loaded or saved
};
