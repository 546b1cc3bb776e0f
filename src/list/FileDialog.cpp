// The common file dialog that chooses list files, with the old 4.00 record and the list filters.
#include "list/FileDialog.h"

#include <commdlg.h>

#include <cstddef>
#include <cwchar>

#include "framework/SystemDll.h"
#include "framework/WideText.h"
#include "settings/Settings.h"

// The record without the members Windows 2000 added, so older systems accept it too.
// (OPENFILENAME_SIZE_VERSION_400A is not a constant expression, so check its definition's offsetof.)
#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR) == 76,
              "the 4.00 open-file record is 76 bytes");
#endif

namespace {
// Each text ends in a NUL and the literal adds the second one that ends the list.
const wchar_t kTextFilters[] =
    L"Text Files (*.txt)\0 *.txt\0 Encrypted Files (*.ple)\0 *.ple\0 All Files(*.*)\0 *.*\0";
const wchar_t kEncryptedFilter[] = L"Encrypted Files (*.ple)\0 *.ple\0";
const wchar_t kProtectedFilter[] = L"Protected List Files (*.plk)\0 *.plk\0";
const wchar_t kCsvFilters[] = L"CSV Files (*.csv)\0*.csv\0All Files (*.*)\0*.*\0";
// Room for the longest path Windows knows; the dialog refuses a longer name instead of cutting it.
constexpr size_t kFileBufferLength = 32768;

const wchar_t* FilterFor(FileChoice choice) {
    switch (choice) {
    case FileChoice::OpenList: return kTextFilters;
    case FileChoice::SaveList: return nullptr;
    case FileChoice::OpenCsv: return kCsvFilters;
    case FileChoice::OpenProtected:
    case FileChoice::SaveProtected: return kProtectedFilter;
    default: return kEncryptedFilter;
    }
}

bool IsSaving(FileChoice choice) {
    return choice == FileChoice::SaveList || choice == FileChoice::SaveEncrypted ||
           choice == FileChoice::SaveProtected;
}

// comdlg32 comes with the first file dialog; without it, no file is chosen.
BOOL RunFileDialog(bool saving, OPENFILENAMEW& ofn) {
    static const auto open = SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    static const auto save = SystemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    const auto run = saving ? save : open;
    return run ? run(&ofn) : FALSE;
}
} // namespace

bool ChooseListFile(HWND owner, const char* title, FileChoice choice, std::string& name) {
    std::wstring file = Widen(name), wideTitle = Widen(title);
    file.resize(kFileBufferLength, L'\0');
    std::wstring lastDir = Widen(ReadSetting(TextSetting::LastDir, ""));

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = FilterFor(choice);
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = lastDir.empty() ? nullptr : lastDir.c_str();
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.Flags = IsSaving(choice) ? OFN_HIDEREADONLY : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = L"";
    BOOL chosen = RunFileDialog(IsSaving(choice), ofn);
    if (chosen)
        name = Narrow(file.c_str(), wcslen(file.c_str()));
    return chosen != FALSE;
}
