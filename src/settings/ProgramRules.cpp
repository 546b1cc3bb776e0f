// Reading, writing and matching the rules per program.
#include "settings/ProgramRules.h"

#include "common/Paths.h"
#include "common/Text.h"
#include "settings/SettingsRules.h"

const char kRulesSection[] = "rules";
const char kClassPrefix[] = "class:";

namespace {
const char* const kPasteNames[kPasteKeysCount] = {"ctrl+v", "shift+insert", "ctrl+shift+v"};
const char kPasteKey[] = "paste";

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

bool StartsWithIgnoreCase(const std::string& text, const char* prefix) {
    std::string p = prefix;
    return text.size() >= p.size() && EqualsIgnoreCase(text.substr(0, p.size()), p);
}

// A number as [pelmar] reads it, but only where the value starts as one: "fast" sets nothing.
std::optional<int> ReadNumber(IntSetting setting, const std::string& value) {
    size_t digit = value.size() > 1 && value[0] == '-' ? 1 : 0;
    if (value.size() <= digit || value[digit] < '0' || value[digit] > '9')
        return std::nullopt;
    return ReadClamped(setting, value);
}

std::optional<PasteKeys> ReadPaste(const std::string& value) {
    for (int i = 0; i < kPasteKeysCount; ++i)
        if (EqualsIgnoreCase(value, kPasteNames[i]))
            return PasteKeys(i);
    return std::nullopt;
}

// One "key=value" item; false when the key is not one of ours.
bool ReadItem(const std::string& key, const std::string& value, RuleOverrides& set) {
    static const struct {
        IntSetting setting;
        std::optional<int> RuleOverrides::*field;
    } kNumbers[] = {{IntSetting::Clip, &RuleOverrides::sendMode},
                    {IntSetting::KeyDelay, &RuleOverrides::keyDelay},
                    {IntSetting::Cr, &RuleOverrides::separator}};
    for (const auto& n : kNumbers) {
        if (!EqualsIgnoreCase(key, RuleOf(n.setting).key))
            continue;
        if (std::optional<int> v = ReadNumber(n.setting, value))
            set.*n.field = v;
        return true;
    }
    if (!EqualsIgnoreCase(key, kPasteKey))
        return false;
    if (std::optional<PasteKeys> keys = ReadPaste(value))
        set.paste = keys;
    return true;
}

void Append(std::string& value, const std::string& item, const char* separator = ",") {
    value += (value.empty() ? "" : separator) + item;
}

// Items set in over win over those in base.
void Overlay(RuleOverrides& base, const RuleOverrides& over) {
    if (over.sendMode)
        base.sendMode = over.sendMode;
    if (over.keyDelay)
        base.keyDelay = over.keyDelay;
    if (over.separator)
        base.separator = over.separator;
    if (over.paste)
        base.paste = over.paste;
}

// Keys compare as the dialog would store them: a hand-written "Class: PuTTY" names "class:PuTTY".
const ProgramRule* FindRule(const std::vector<ProgramRule>& rules, const std::string& program) {
    std::string key = RuleKeyFor(program);
    for (const ProgramRule& rule : rules)
        if (!key.empty() && EqualsIgnoreCase(RuleKeyFor(rule.program), key))
            return &rule;
    return nullptr;
}
} // namespace

const char* PasteKeysName(PasteKeys keys) {
    return kPasteNames[keys >= 0 && keys < kPasteKeysCount ? keys : 0];
}

ProgramRule ParseRule(const std::string& key, const std::string& value) {
    ProgramRule rule;
    rule.program = Trimmed(key);
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            comma = value.size();
        std::string item = Trimmed(value.substr(start, comma - start));
        start = comma + 1;
        if (item.empty())
            continue;
        size_t equals = item.find('=');
        std::string itemKey = Trimmed(item.substr(0, equals));
        std::string itemValue =
            equals == std::string::npos ? std::string() : Trimmed(item.substr(equals + 1));
        if (!ReadItem(itemKey, itemValue, rule.set))
            Append(rule.unknown, item);
    }
    return rule;
}

std::vector<ProgramRule> ParseRules(const std::vector<std::string>& lines) {
    std::vector<ProgramRule> rules;
    for (const std::string& line : lines) {
        size_t equals = line.find('=');
        std::string key = Trimmed(line.substr(0, equals));
        if (equals == std::string::npos || key.empty() || key[0] == ';' || RuleKeyFor(key).empty())
            continue;
        // The profile functions read the first of two lines with one key; so do we.
        if (!FindRule(rules, key))
            rules.push_back(ParseRule(key, line.substr(equals + 1)));
    }
    return rules;
}

std::string RuleValue(const ProgramRule& rule) {
    std::string value;
    const RuleOverrides& set = rule.set;
    if (set.sendMode)
        Append(value, std::string(RuleOf(IntSetting::Clip).key) + "=" + DecimalText(*set.sendMode));
    if (set.paste)
        Append(value, std::string(kPasteKey) + "=" + PasteKeysName(*set.paste));
    if (set.keyDelay)
        Append(value, std::string(RuleOf(IntSetting::KeyDelay).key) + "=" + DecimalText(*set.keyDelay));
    if (set.separator)
        Append(value, std::string(RuleOf(IntSetting::Cr).key) + "=" + DecimalText(*set.separator));
    if (!rule.unknown.empty())
        Append(value, rule.unknown);
    return value;
}

bool IsClassRule(const std::string& program) {
    return StartsWithIgnoreCase(program, kClassPrefix);
}

std::string RuleKeyFor(const std::string& typed) {
    std::string key = Trimmed(typed);
    // A key holding '=' or a line break would be cut or split when the file is read back.
    if (key.find_first_of("=\r\n") != std::string::npos || key.empty() || key[0] == ';' || key[0] == '[')
        return std::string();
    if (!IsClassRule(key))
        return AsciiLower(key);
    std::string windowClass = Trimmed(key.substr(sizeof kClassPrefix - 1));
    return windowClass.empty() ? std::string() : kClassPrefix + windowClass;
}

RuleOverrides OverridesFor(const std::vector<ProgramRule>& rules, const std::string& exeName,
                           const std::string& windowClass) {
    RuleOverrides set;
    if (const ProgramRule* rule = IsClassRule(exeName) ? nullptr : FindRule(rules, exeName))
        set = rule->set;
    if (const ProgramRule* rule = windowClass.empty() ? nullptr : FindRule(rules, kClassPrefix + windowClass))
        Overlay(set, rule->set);
    return set;
}

std::string ExeNameOf(const std::string& imagePath) {
    return AsciiLower(NamePart(imagePath));
}

std::string DescribeOverrides(const RuleOverrides& set) {
    static const char* const kSendModes[] = {"Clipboard", "Keystrokes", "Characters"};
    static const char* const kPasteLabels[] = {"Ctrl+V", "Shift+Insert", "Ctrl+Shift+V"};
    std::string text;
    if (set.sendMode)
        Append(text, kSendModes[*set.sendMode], ", ");
    if (set.paste)
        Append(text, kPasteLabels[*set.paste], ", ");
    if (set.keyDelay)
        Append(text, DecimalText(*set.keyDelay) + " ms", ", ");
    if (set.separator)
        Append(text, *set.separator == 2 ? "Tab" : "Enter", ", ");
    return text.empty() ? "nothing" : text;
}

const std::vector<ProgramRule>& SuggestedRules() {
    // Terminals paste with Shift+Insert or Ctrl+Shift+V; a remote desktop may not share the clipboard.
    static const char* const kSuggested[][2] = {{"putty.exe", "paste=shift+insert"},
                                                {"mintty.exe", "paste=shift+insert"},
                                                {"windowsterminal.exe", "paste=ctrl+shift+v"},
                                                {"mstsc.exe", "clip=1"}};
    static std::vector<ProgramRule> rules;
    for (size_t i = rules.size(); i < sizeof kSuggested / sizeof kSuggested[0]; ++i)
        rules.push_back(ParseRule(kSuggested[i][0], kSuggested[i][1]));
    return rules;
}
