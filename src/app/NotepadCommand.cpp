// Notepad's command line for a list file.
#include "app/NotepadCommand.h"

#include "common/Paths.h"
#include "common/Text.h"

namespace {
bool EndsInTxt(const std::string& path) {
    return EndsWithIgnoreCase(path, "txt");
}
} // namespace

std::string NotepadCommandLine(const std::string& listSetting, const std::string& settingsPath) {
    if (!EndsInTxt(listSetting))
        return std::string();
    std::string path = listSetting;
    // The loader reads the bare default from the program's folder, so the editor must open that file too.
    if (EqualsIgnoreCase(listSetting, "list.txt"))
        path = FolderPart(settingsPath) + "\\List.txt";
    return "Notepad.exe " + path;
}
