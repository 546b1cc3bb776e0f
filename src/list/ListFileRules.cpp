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
    if (EndsWithIgnoreCase(path, "plk"))
        return kProtectedList;
    return kPlainList;
}

std::string ProtectedLoginFile(const std::string& loginFile) {
    return WithLastThree(loginFile, "plk");
}

std::string FileToRead(const std::string& path, const std::string& loginFile, bool protectedLoginExists) {
    return protectedLoginExists && EqualsIgnoreCase(path, loginFile) ? ProtectedLoginFile(loginFile) : path;
}

bool IsLoginFileName(const std::string& path, const std::string& loginFile) {
    return EqualsIgnoreCase(path, loginFile) || EqualsIgnoreCase(path, ProtectedLoginFile(loginFile));
}

std::string FileToRead(const std::string& path, const std::string& loginFile, ProtectedLoginContent held) {
    bool standsIn = held == ProtectedLoginContent::LoginList || held == ProtectedLoginContent::Damaged;
    return FileToRead(path, loginFile, standsIn);
}

ProtectLoginPlan PlanProtectLogin(bool loginFileExists, ProtectedLoginContent held) {
    if (held == ProtectedLoginContent::PlainList)
        return {true, false, false};
    // The login file is the login list; without it, the protected login file is only sealed anew under
    // a new password (a damaged one then fails to read, and is kept).
    if (!loginFileExists && held != ProtectedLoginContent::None)
        return {false, false, false};
    return {false, true, held != ProtectedLoginContent::None};
}

ListKind KindForLoad(const std::string& path, ListKind requested, const std::string& loginFile) {
    if (EqualsIgnoreCase(path, loginFile) || EqualsIgnoreCase(path, ProtectedLoginFile(loginFile)))
        return kLoginList;
    if (EndsWithIgnoreCase(path, "ple"))
        return kEncryptedList;
    if (EndsWithIgnoreCase(path, "plk"))
        return kProtectedList;
    // Every save of a login list goes to the login file: another file read as one would overwrite it.
    return requested == kLoginList ? kPlainList : requested;
}

bool ReadsProtected(ListKind kind, const std::string& path, const std::string& loginFile) {
    return kind == kProtectedList ||
           (kind == kLoginList && EqualsIgnoreCase(path, ProtectedLoginFile(loginFile)));
}

SavePlan PlanSave(SaveMode mode, ListKind kind, const std::string& currentFile, const std::string& loginFile,
                  const std::string& unloadedFile) {
    SavePlan plan = {currentFile, kind, mode == SaveMode::As};
    if (kind == kLoginList) {
        // A login list has one home and is never stored encrypted; Protect login file moves it.
        plan.file = loginFile;
        mode = SaveMode::InPlace;
        plan.chooseName = false;
    }
    if (mode == SaveMode::EncryptedAs || mode == SaveMode::ProtectedAs) {
        plan.kind = mode == SaveMode::EncryptedAs ? kEncryptedList : kProtectedList;
        plan.chooseName = true;
    }
    // The name tells the next start which kind the list file holds.
    if (plan.kind == kEncryptedList)
        plan.file = WithLastThree(plan.file, "ple");
    if (plan.kind == kProtectedList)
        plan.file = WithLastThree(plan.file, "plk");
    // The file that failed to load at start-up still holds the user's entries: writing what the window
    // shows over it would lose them, so the user picks the file instead.
    if (mode == SaveMode::InPlace && !unloadedFile.empty() && EqualsIgnoreCase(plan.file, unloadedFile)) {
        plan.file.clear();
        plan.chooseName = true;
    }
    return plan;
}

ListKind KindOfChosenName(const std::string& name) {
    ListKind kind = KindFromName(name);
    return kind == kLoginList ? kPlainList : kind;
}
