// Settings access: every read and write first points the application's profile at the settings file.
#pragma once
#include <string>

#include <vector>

#include "settings/ProgramRules.h"
#include "settings/SettingsRules.h"

void SetSettingsPath(const std::string& path);
const std::string& SettingsPath();

int ReadSetting(IntSetting setting);  // with its default and clamp
// Whether the file holds a value for setting (an empty one counts as none).
bool IsSettingSaved(IntSetting setting);
std::string ReadSetting(TextSetting setting);
std::string ReadSetting(TextSetting setting, const char* defaultValue);
void WriteSetting(IntSetting setting, int value);
void WriteSetting(TextSetting setting, const std::string& value);

// The rules per program in section [rules], as the file holds them now.
std::vector<ProgramRule> ReadProgramRules();
// Writes rule's line (only that line changes) or removes the line of program.
void WriteProgramRule(const ProgramRule& rule);
void DeleteProgramRule(const std::string& program);

// The login list's file beside the program.
std::string LoginFilePath();
// The program's folder with its final backslash.
std::string ProgramFolder();
