// LoadList: reads a list file into the item list, replacing it only when the whole file was read.
#include <new>

#include "app/ListDlg.h"
#include "app/Settings.h"
#include "framework/File.h"
#include "framework/Wipe.h"
#include "list/ItemList.h"

namespace {
// "List.txt", and any other bare name, means a file in the program's own folder.
void ResolveBareName(std::string& name) {
    if (EqualsIgnoreCase(name, "List.txt"))
        name = ProgramFolder() + "List.txt";
    else if (IsBareName(name))
        name = ProgramFolder() + name;
}

bool IsProgramLoginFile(const std::string& name) {
    return EqualsIgnoreCase(name, ProgramFolder() + "Pelmar.plr");
}

enum class ReadResult { Ok, CantOpen, NoMemory };

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
} // namespace

int CListDlg::LoadList(std::string& name) {
    ResolveBareName(name);
    WriteSetting(TextSetting::LastDir, FolderPart(name));
    if (IsProgramLoginFile(name))
        m_state.listKind = kLoginList;
    else if (EndsWithIgnoreCase(name, "ple"))
        m_state.listKind = kEncryptedList;

    std::string bytes;
    ReadResult read = ReadListFile(name, bytes);
    if (read != ReadResult::Ok) {
        Message(read == ReadResult::CantOpen ? "Can't open List Box file!" : "Can't get memory!\nCan't fill List Box!");
        m_state.listKind = kPlainList;
        return 0;
    }

    std::string text;
    size_t offset = 0;
    if (m_state.listKind == kEncryptedList) {
        if (!LoadEncryptedText(name, bytes, text, offset)) {
            m_state.listKind = kPlainList;
            return 0;
        }
    } else {
        text.swap(bytes);
    }
    if (offset > text.size())
        offset = text.size();
    FillItemList(m_hWnd, ParseListText(text.data() + offset, text.size() - offset, m_state.listKind),
                 m_state.listKind);
    WipeString(text);  // an encrypted list's text holds its password
    m_state.unloadedListFile.clear();
    WriteSetting(TextSetting::List, name);
    return 1;
}
