// Every kind of list file read into entries and written back from them, in one place for the program,
// the cli and the tests.
#include "list/ListFileCodec.h"

#include <cstdint>
#include <new>

#include "common/Wipe.h"
#include "crypt/Container.h"

namespace {
const uint8_t* Data(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

ListFileResult FromProtect(ProtectResult result) {
    switch (result) {
    case ProtectResult::Ok: return ListFileResult::Ok;
    case ProtectResult::BadFile: return ListFileResult::Damaged;
    case ProtectResult::WrongPasswordOrDamaged: return ListFileResult::WrongPasswordOrDamaged;
    case ProtectResult::NoMemory: return ListFileResult::NoMemory;
    default: return ListFileResult::SystemError;
    }
}

void WipeList(ListFile& list) {
    for (ListEntry& e : list.entries)
        WipeEntry(e);
    list.entries.clear();
}

// The list file a protected list's text stands for; the text is wiped.
void TakeSealedText(ListKind stored, std::string& text, std::string& listFile) {
    listFile = stored == kLoginList ? ShiftLoginText(text) : text;
    WipeString(text);
}

ListFileResult ParseUnsealed(ListFileResult result, std::string& listFile, ListKind wanted, ListKind stored,
                             const AnsiCodePage& codePage, ListFile& list) {
    ListKind layout = wanted == kLoginList && stored == kLoginList ? kLoginList : kPlainList;
    if (result == ListFileResult::Ok)
        list = ParseListFile(listFile, layout, codePage);
    WipeString(listFile);
    return result;
}
} // namespace

ListFile ReadTextList(const std::string& bytes, ListKind layout, const AnsiCodePage& codePage) {
    return ParseListFile(bytes, layout, codePage);
}

EncodedText WriteTextList(const std::vector<ListEntry>& entries, ListKind layout, TextEncoding encoding,
                          const AnsiCodePage& codePage) {
    return BuildListFile(entries, layout, encoding, codePage);
}

// Every inconsistent container (cut, padded, counts past its end, a stream that over- or under-runs its
// length) is refused before anything is parsed.
ListFileResult OpenEncryptedText(const std::string& bytes, std::string& text) {
    try {
        if (ReadEncryptedFile(Data(bytes), bytes.size(), text))
            return ListFileResult::Ok;
    } catch (const std::bad_alloc&) {
        return ListFileResult::NoMemory;
    }
    return HasContainerHeader(Data(bytes), bytes.size()) ? ListFileResult::Damaged
                                                         : ListFileResult::NotThisKind;
}

std::string SealEncryptedText(const std::string& text, const std::string& nameField) {
    std::vector<uint8_t> bytes = EncryptedListBytes(text, nameField);
    std::string file(bytes.begin(), bytes.end());
    WipeBytes(bytes);
    return file;
}

ListFileResult ReadEncryptedList(const std::string& bytes, const std::string& password,
                                 const PasswordCase& passwordCase, const AnsiCodePage& codePage,
                                 ListFile& list) {
    std::string inner;
    ListFileResult result = OpenEncryptedText(bytes, inner);
    if (result != ListFileResult::Ok)
        return result;
    std::string stored;
    list = ParseListFile(inner, kPlainList, codePage, &stored);
    WipeString(inner);
    bool matched = passwordCase.Same(stored, password);
    WipeString(stored);
    if (!matched)
        WipeList(list);
    return matched ? ListFileResult::Ok : ListFileResult::WrongPassword;
}

EncodedText WriteEncryptedList(const std::vector<ListEntry>& entries, TextEncoding encoding,
                               const std::string& password, const std::string& nameField,
                               const AnsiCodePage& codePage) {
    EncodedText inner = BuildListFile(entries, kPlainList, encoding, codePage, &password);
    // The container bytes are only compressed, not hidden.
    EncodedText file = {SealEncryptedText(inner.bytes, nameField), inner.encoding};
    WipeString(inner.bytes);
    return file;
}

ListFileResult UnsealListFile(const std::string& bytes, const ProtectionKey& key, ListKind& stored,
                              std::string& listFile) {
    std::string text;
    ListFileResult result = FromProtect(OpenProtectedList(Data(bytes), bytes.size(), key, stored, text));
    TakeSealedText(stored, text, listFile);
    return result;
}

ListFileResult UnsealListFile(const std::string& bytes, const std::string& password, ProtectionKey& key,
                              ListKind& stored, std::string& listFile) {
    std::string text;
    ListFileResult result =
        FromProtect(OpenProtectedList(Data(bytes), bytes.size(), password, key, stored, text));
    TakeSealedText(stored, text, listFile);
    return result;
}

ListFileResult ReadProtectedList(const std::string& bytes, const ProtectionKey& key, ListKind wanted,
                                 const AnsiCodePage& codePage, ListKind& stored, ListFile& list) {
    std::string listFile;
    ListFileResult result = UnsealListFile(bytes, key, stored, listFile);
    return ParseUnsealed(result, listFile, wanted, stored, codePage, list);
}

ListFileResult ReadProtectedList(const std::string& bytes, const std::string& password, ProtectionKey& key,
                                 ListKind wanted, const AnsiCodePage& codePage, ListKind& stored,
                                 ListFile& list) {
    std::string listFile;
    ListFileResult result = UnsealListFile(bytes, password, key, stored, listFile);
    return ParseUnsealed(result, listFile, wanted, stored, codePage, list);
}

ListFileResult SealListFile(const ProtectionKey& key, ListKind layout, const std::string& listFile,
                            std::string& sealed) {
    bool login = layout == kLoginList;
    std::string text = login ? UnshiftLoginText(listFile) : listFile;
    std::string back = login ? ShiftLoginText(text) : std::string();
    bool exact = !login || back == listFile;
    std::vector<uint8_t> bytes;
    ListFileResult result =
        exact ? FromProtect(SealProtectedList(key, layout, text, bytes)) : ListFileResult::NotExact;
    WipeString(back);
    WipeString(text);
    sealed.assign(bytes.begin(), bytes.end());
    return result;
}

ListFileResult WriteProtectedList(const std::vector<ListEntry>& entries, ListKind layout,
                                  TextEncoding encoding, const ProtectionKey& key,
                                  const AnsiCodePage& codePage, EncodedText& out) {
    EncodedText file = BuildListFile(entries, layout, encoding, codePage);
    out.encoding = file.encoding;
    ListFileResult result = SealListFile(key, layout, file.bytes, out.bytes);
    WipeString(file.bytes);
    return result;
}

bool HoldsSealedList(const std::string& bytes) {
    ProtectedHeader header;
    return HasContainerHeader(Data(bytes), bytes.size()) ||
           ReadProtectedHeader(Data(bytes), bytes.size(), header) == ProtectResult::Ok;
}
