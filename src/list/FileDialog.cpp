// The common file dialog that chooses list files, with the old 4.00 record and the list filters.
#include "list/FileDialog.h"

#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "settings/Settings.h"

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

const char* FilterFor(FileChoice choice) {
    switch (choice) {
    case FileChoice::OpenList: return kTextFilters;
    case FileChoice::SaveList: return nullptr;
    default: return kEncryptedFilter;
    }
}

bool IsSaving(FileChoice choice) {
    return choice == FileChoice::SaveList || choice == FileChoice::SaveEncrypted;
}
} // namespace

bool ChooseListFile(HWND owner, const char* title, FileChoice choice, std::string& name) {
    char file[256] = {};
    strncpy(file, name.c_str(), sizeof file - 1);
    std::string lastDir = ReadSetting(TextSetting::LastDir, "");

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = FilterFor(choice);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = lastDir.empty() ? nullptr : lastDir.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = IsSaving(choice) ? OFN_HIDEREADONLY : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "";
    BOOL chosen = IsSaving(choice) ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (chosen)
        name = file;
    return chosen != FALSE;
}
