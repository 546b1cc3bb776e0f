// Notepad's command line for a list file.
#include "app/NotepadCommand.h"

#include <cctype>

#include "app/SettingsRules.h"

namespace {
bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool EndsInTxt(const std::string& path) {
    return path.size() >= 3 && EqualsIgnoringCase(path.substr(path.size() - 3), "txt");
}
} // namespace

std::string NotepadCommandLine(const std::string& listSetting, const std::string& settingsPath) {
    if (!EndsInTxt(listSetting))
        return std::string();
    std::string path = listSetting;
    // The loader reads the bare default from the program's folder, so the editor must open that file too.
    if (EqualsIgnoringCase(listSetting, "list.txt"))
        path = FolderPart(settingsPath) + "\\List.txt";
    return "Notepad.exe " + path;
}
