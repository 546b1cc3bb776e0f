// Settings access over the application's profile functions; nothing is cached.
#include "settings/Settings.h"

#include "framework/WinApp.h"

namespace {
std::string g_settingsPath;

CWinApp& ProfileApp() {
    CWinApp* app = AfxGetApp();
    app->SetProfileName(g_settingsPath.c_str());
    return *app;
}
} // namespace

void SetSettingsPath(const std::string& path) { g_settingsPath = path; }

const std::string& SettingsPath() { return g_settingsPath; }

int ReadSetting(IntSetting setting) {
    std::string value = ProfileApp().GetProfileString(kSettingsSection, RuleOf(setting).key, "");
    return ReadClamped(setting, value);
}

bool IsSettingSaved(IntSetting setting) {
    return !ProfileApp().GetProfileString(kSettingsSection, RuleOf(setting).key, "").empty();
}

std::string ReadSetting(TextSetting setting) { return ReadSetting(setting, DefaultOf(setting)); }

std::string ReadSetting(TextSetting setting, const char* defaultValue) {
    return ProfileApp().GetProfileString(kSettingsSection, KeyOf(setting), defaultValue);
}

void WriteSetting(IntSetting setting, int value) {
    ProfileApp().WriteProfileInt(kSettingsSection, RuleOf(setting).key, value);
}

void WriteSetting(TextSetting setting, const std::string& value) {
    ProfileApp().WriteProfileString(kSettingsSection, KeyOf(setting), value.c_str());
}

std::vector<ProgramRule> ReadProgramRules() { return ParseRules(ProfileApp().GetProfileSection(kRulesSection)); }

void WriteProgramRule(const ProgramRule& rule) {
    ProfileApp().WriteProfileString(kRulesSection, rule.program.c_str(), RuleValue(rule).c_str());
}

void DeleteProgramRule(const std::string& program) {
    ProfileApp().WriteProfileString(kRulesSection, program.c_str(), nullptr);
}

std::string LoginFilePath() { return LoginFilePathFor(g_settingsPath); }

std::string ProgramFolder() {
    const std::string& module = AfxGetApp()->m_modulePath;
    size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? std::string() : module.substr(0, slash + 1);
}
