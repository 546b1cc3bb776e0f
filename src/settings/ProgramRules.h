// Rules per program: section [rules] of the settings file, one line per program, each overriding a few
// of the [pelmar] keys for deliveries into that program. For example
//   putty.exe=paste=shift+insert,keydelay=20
//   class:ConsoleWindowClass=clip=1
#pragma once
#include <optional>
#include <string>
#include <vector>

extern const char kRulesSection[]; // "rules"
extern const char kClassPrefix[];  // "class:", before a window class in a rule's key

// The keys that paste the clipboard into the target.
enum PasteKeys : int { kPasteCtrlV = 0, kPasteShiftInsert = 1, kPasteCtrlShiftV = 2 };
constexpr int kPasteKeysCount = 3;
const char* PasteKeysName(PasteKeys keys); // "ctrl+v", "shift+insert", "ctrl+shift+v"

// What a rule sets; an item left empty is taken from [pelmar]. Values are clamped as there.
struct RuleOverrides {
    std::optional<int> sendMode;  // "clip"
    std::optional<int> keyDelay;  // "keydelay"
    std::optional<int> separator; // "cr"
    std::optional<PasteKeys> paste;
    bool Empty() const { return !sendMode && !keyDelay && !separator && !paste; }
    bool operator==(const RuleOverrides& o) const {
        return sendMode == o.sendMode && keyDelay == o.keyDelay && separator == o.separator &&
               paste == o.paste;
    }
};

struct ProgramRule {
    std::string program; // the key: an executable's file name, or kClassPrefix and a window class
    RuleOverrides set;
    // Items this version does not understand, as written and joined with commas: a rewrite of the line
    // keeps them.
    std::string unknown;
};

// One line's value. An unknown key is kept aside; a known key with a value that is no number (or no paste
// name) is ignored; the rest of the line counts either way.
ProgramRule ParseRule(const std::string& key, const std::string& value);
// The section as the profile functions hand it over: one "key=value" per line. Lines without a key, with
// an empty program or starting with ';' are no rules.
std::vector<ProgramRule> ParseRules(const std::vector<std::string>& lines);
// The value that stands for rule in the file: the known items in a fixed order, then the unknown ones.
std::string RuleValue(const ProgramRule& rule);

bool IsClassRule(const std::string& program);
// The key a typed program name is stored under: blanks trimmed, an executable's name in lower case, a
// class as written after the prefix. Empty when the name cannot be a key.
std::string RuleKeyFor(const std::string& typed);

// The rules that apply to a program with this executable (empty when it could not be found out) and
// top-level window class. Both may match: the executable's rule applies, and a class rule's items win
// over it, as the more particular one.
RuleOverrides OverridesFor(const std::vector<ProgramRule>& rules, const std::string& exeName,
                           const std::string& windowClass);
// The file name of a full image path, as rules name it.
std::string ExeNameOf(const std::string& imagePath);

// For the rules list: "Keystrokes, Shift+Insert, 20 ms, Tab"; "nothing" for a rule that sets nothing.
std::string DescribeOverrides(const RuleOverrides& set);

// Rules offered for one-click adding; none applies unless the user adds it.
const std::vector<ProgramRule>& SuggestedRules();
