// Splitting Windows paths into folder and name, and the suffix rules the list files use.
#pragma once
#include <string>

// Everything before the last backslash; the whole path when there is none.
std::string FolderPart(const std::string& path);
// Everything after the last backslash.
std::string NamePart(const std::string& path);
// The name without its last extension.
std::string NameWithoutExtension(const std::string& path);
// A name without any folder or drive.
bool IsBareName(const std::string& path);
// path with its last three characters replaced (a shorter path gets the suffix appended).
std::string WithLastThree(const std::string& path, const char* three);
// Everything after the last '.' replaced by extension; ".extension" appended when there is no '.'.
std::string WithExtension(const std::string& path, const char* extension);
