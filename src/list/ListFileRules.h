// Where list files live and which kind they are read and saved as: the decisions behind loading and
// saving, free of windows so that they can be checked with tables.
#pragma once
#include <string>

#include "list/ListText.h"

enum class SaveMode { As, InPlace, EncryptedAs, ProtectedAs };

// "List.txt", and any other bare name, means a file in the program's folder (given with its backslash).
std::string ResolveListPath(const std::string& name, const std::string& programFolder);

// The kind a file name implies by its last three characters (any case): "plr" login, "ple" encrypted,
// "plk" protected.
ListKind KindFromName(const std::string& path);

// The login list's protected file: the login file's name ending in "plk".
std::string ProtectedLoginFile(const std::string& loginFile);

// The file a load of path reads: once the login list is protected, its protected file stands for the
// login file, even where the old file was kept.
std::string FileToRead(const std::string& path, const std::string& loginFile, bool protectedLoginExists);

// Whether path is one of the names of the login file beside the program, protected or not: a list saved
// there would be read as the login list, so only the login list may be saved under them.
bool IsLoginFileName(const std::string& path, const std::string& loginFile);

// What the protected login file holds, told by its header: nothing (no file), the login list, a
// protected plain list (which is never the login list), or no protected list at all (damaged).
enum class ProtectedLoginContent { None, LoginList, PlainList, Damaged };

// The file a load of path reads, given what the protected login file holds: a protected login list
// stands for the login file, and so does a damaged one (so its damage is reported rather than hidden);
// a protected plain list never does.
std::string FileToRead(const std::string& path, const std::string& loginFile, ProtectedLoginContent held);

// Protect login file: which file it seals the login list from and whether it must first ask before
// replacing the protected login file, or refuses (the protected login file holds a plain list).
struct ProtectLoginPlan {
    bool refuse;
    bool fromLoginFile; // from the login file; otherwise the protected login file sealed anew
    bool askToReplace;
};
ProtectLoginPlan PlanProtectLogin(bool loginFileExists, ProtectedLoginContent held);

// The kind a file is loaded as: the program's own login file (protected or not) is a login list, a "ple"
// name an encrypted list and a "plk" name a protected list, whatever was asked; no other file is a login
// list; the rest keep the requested kind.
ListKind KindForLoad(const std::string& path, ListKind requested, const std::string& loginFile);

// Whether a file loaded as kind is a protected list file: a protected list, or the protected login file.
bool ReadsProtected(ListKind kind, const std::string& path, const std::string& loginFile);

// Where a save goes: the file (the proposed name when the user chooses), its kind, and whether the user
// chooses the name.
struct SavePlan {
    std::string file;
    ListKind kind;
    bool chooseName;
};
// loginFile: the login list's file (its protected file once the login list on screen is protected).
// unloadedFile: the list file that failed to load at start-up, which an in-place save must not replace.
SavePlan PlanSave(SaveMode mode, ListKind kind, const std::string& currentFile, const std::string& loginFile,
                  const std::string& unloadedFile);
// The kind of a list saved under a name the user chose.
ListKind KindOfChosenName(const std::string& name);
