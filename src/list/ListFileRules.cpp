// The decisions behind loading and saving list files.
#include "list/ListFileRules.h"

#include "common/Paths.h"
#include "common/Text.h"

std::string ResolveListPath(const std::string& name, const std::string& programFolder) {
    if (EqualsIgnoreCase(name, "List.txt"))
        return programFolder + "List.txt";
    return IsBareName(name) ? programFolder + name : name;
}

ListKind KindFromName(const std::string& path) {
    if (EndsWithIgnoreCase(path, "plr"))
        return kLoginList;
    if (EndsWithIgnoreCase(path, "ple"))
        return kEncryptedList;
    return kPlainList;
}

ListKind KindForLoad(const std::string& path, ListKind requested, const std::string& loginFile) {
    if (EqualsIgnoreCase(path, loginFile))
        return kLoginList;
    if (EndsWithIgnoreCase(path, "ple"))
        return kEncryptedList;
    // Every save of a login list goes to the login file: another file read as one would overwrite it.
    return requested == kLoginList ? kPlainList : requested;
}

SavePlan PlanSave(SaveMode mode, ListKind kind, const std::string& currentFile, const std::string& loginFile,
                  const std::string& unloadedFile) {
    SavePlan plan = {currentFile, kind, mode == SaveMode::As};
    if (kind == kLoginList) {
        // A login list has one home and is never stored encrypted.
        plan.file = loginFile;
        mode = SaveMode::InPlace;
        plan.chooseName = false;
    }
    if (mode == SaveMode::EncryptedAs) {
        plan.kind = kEncryptedList;
        plan.chooseName = true;
    }
    if (plan.kind == kEncryptedList)
        plan.file = WithLastThree(plan.file, "ple");
    // The file that failed to load at start-up still holds the user's entries: writing what the window
    // shows over it would lose them, so the user picks the file instead.
    if (mode == SaveMode::InPlace && !unloadedFile.empty() && EqualsIgnoreCase(plan.file, unloadedFile)) {
        plan.file.clear();
        plan.chooseName = true;
    }
    return plan;
}

ListKind KindOfChosenName(const std::string& name) {
    return EndsWithIgnoreCase(name, "ple") ? kEncryptedList : kPlainList;
}
