// Where list files live and which kind they are read and saved as: the decisions behind loading and
// saving, free of windows so that they can be checked with tables.
#pragma once
#include <string>

#include "list/ListText.h"

enum class SaveMode { As, InPlace, EncryptedAs };

// "List.txt", and any other bare name, means a file in the program's folder (given with its backslash).
std::string ResolveListPath(const std::string& name, const std::string& programFolder);

// The kind a file name implies by its last three characters (any case): "plr" login, "ple" encrypted.
ListKind KindFromName(const std::string& path);

// The kind a file is loaded as: the program's own login file is a login list and a "ple" name an
// encrypted list, whatever was asked; no other file is a login list; the rest keep the requested kind.
ListKind KindForLoad(const std::string& path, ListKind requested, const std::string& loginFile);

// Where a save goes: the file (the proposed name when the user chooses), its kind, and whether the user
// chooses the name.
struct SavePlan {
    std::string file;
    ListKind kind;
    bool chooseName;
};
// unloadedFile: the list file that failed to load at start-up, which an in-place save must not replace.
SavePlan PlanSave(SaveMode mode, ListKind kind, const std::string& currentFile, const std::string& loginFile,
                  const std::string& unloadedFile);
// The kind of a list saved under a name the user chose.
ListKind KindOfChosenName(const std::string& name);
