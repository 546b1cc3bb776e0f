// Rules per program: reading a line, writing it back, and which rules a target gets.
#include <gtest/gtest.h>

#include "settings/ProgramRules.h"

namespace {
// A rule's overrides in one line, for comparing: "clip=1 paste=1 keydelay=- cr=-".
std::string Shown(const RuleOverrides& set) {
    auto number = [](const std::optional<int>& v) { return v ? std::to_string(*v) : std::string("-"); };
    return "clip=" + number(set.sendMode) + " paste=" + (set.paste ? std::to_string(*set.paste) : "-") +
           " keydelay=" + number(set.keyDelay) + " cr=" + number(set.separator);
}

TEST(ProgramRules, ValuesAreReadClampedAndWhatIsNotUnderstoodIsSkipped) {
    const struct {
        const char* value;
        const char* set;
        const char* unknown;
        const char* rewritten;
    } cases[] = {
        {"clip=1,keydelay=20", "clip=1 paste=- keydelay=20 cr=-", "", "clip=1,keydelay=20"},
        {"paste=shift+insert", "clip=- paste=1 keydelay=- cr=-", "", "paste=shift+insert"},
        {" Paste = Ctrl+Shift+V , CR=2 ", "clip=- paste=2 keydelay=- cr=2", "", "paste=ctrl+shift+v,cr=2"},
        {"paste=ctrl+v,clip=2,cr=1,keydelay=1000", "clip=2 paste=0 keydelay=1000 cr=1", "",
         "clip=2,paste=ctrl+v,keydelay=1000,cr=1"},
        // Clamped as in [pelmar].
        {"clip=9,keydelay=0,cr=7", "clip=2 paste=- keydelay=1 cr=2", "", "clip=2,keydelay=1,cr=2"},
        {"clip=-1,keydelay=5000,cr=0", "clip=0 paste=- keydelay=1000 cr=1", "", "clip=0,keydelay=1000,cr=1"},
        {"keydelay=99999999999", "clip=- paste=- keydelay=1000 cr=-", "", "keydelay=1000"},
        // Bad values set nothing; the rest of the line still counts.
        {"clip=fast,paste=alt+v,keydelay=,cr=-,keydelay=30", "clip=- paste=- keydelay=30 cr=-", "",
         "keydelay=30"},
        // Unknown keys are set aside, kept as written, and written back after the known items.
        {"font=big,clip=1,,colour", "clip=1 paste=- keydelay=- cr=-", "font=big,colour",
         "clip=1,font=big,colour"},
        {"", "clip=- paste=- keydelay=- cr=-", "", ""},
        // The last of two items with one key wins.
        {"clip=1,clip=2", "clip=2 paste=- keydelay=- cr=-", "", "clip=2"},
    };
    for (const auto& c : cases) {
        ProgramRule rule = ParseRule("putty.exe", c.value);
        EXPECT_EQ(Shown(rule.set), c.set) << c.value;
        EXPECT_EQ(rule.unknown, c.unknown) << c.value;
        EXPECT_EQ(RuleValue(rule), c.rewritten) << c.value;
        // What is written reads back as the same rule.
        ProgramRule again = ParseRule("putty.exe", RuleValue(rule));
        EXPECT_EQ(Shown(again.set), c.set) << c.value;
        EXPECT_EQ(again.unknown, c.unknown) << c.value;
    }
}

TEST(ProgramRules, SectionLinesBecomeRulesAndTypedNamesBecomeKeys) {
    std::vector<ProgramRule> rules =
        ParseRules({"putty.exe=paste=shift+insert", "; a note", "=clip=1", "no equals sign", "class:=clip=1",
                    "PuTTY.EXE=clip=2", " class:ConsoleWindowClass = clip=1", "mstsc.exe="});
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].program, "putty.exe"); // the first of two lines for one program
    EXPECT_EQ(Shown(rules[0].set), "clip=- paste=1 keydelay=- cr=-");
    EXPECT_EQ(rules[1].program, "class:ConsoleWindowClass");
    EXPECT_EQ(Shown(rules[1].set), "clip=1 paste=- keydelay=- cr=-");
    EXPECT_EQ(rules[2].program, "mstsc.exe");
    EXPECT_TRUE(rules[2].set.Empty());

    const struct {
        const char* typed;
        const char* key;
    } names[] = {{"  PuTTY.exe ", "putty.exe"},
                 {"class:PuTTY", "class:PuTTY"},
                 {"CLASS: Notepad ", "class:Notepad"},
                 {"class:", ""},
                 {"a=b.exe", ""},
                 {"; x", ""},
                 {"[rules]", ""},
                 {"   ", ""}};
    for (const auto& n : names)
        EXPECT_EQ(RuleKeyFor(n.typed), n.key) << n.typed;
}

TEST(ProgramRules, TargetsGetTheirProgramsRuleWithAClassRuleOverIt) {
    std::vector<ProgramRule> rules =
        ParseRules({"putty.exe=paste=shift+insert,keydelay=20", "class:PuTTY=clip=1,keydelay=50",
                    "mstsc.exe=clip=1", " Class: TscShellContainerClass =cr=2"});
    const struct {
        const char* exe;
        const char* windowClass;
        const char* set;
    } cases[] = {
        {"putty.exe", "Other", "clip=- paste=1 keydelay=20 cr=-"},
        {"PUTTY.EXE", "", "clip=- paste=1 keydelay=20 cr=-"},
        {"putty.exe", "putty", "clip=1 paste=1 keydelay=50 cr=-"},
        // A program Pelmar may not query still gets its window class's rule.
        {"", "PuTTY", "clip=1 paste=- keydelay=50 cr=-"},
        {"mstsc.exe", "TscShellContainerClass", "clip=1 paste=- keydelay=- cr=2"},
        {"notepad.exe", "Notepad", "clip=- paste=- keydelay=- cr=-"},
        // A class rule is no executable's rule, and the other way round.
        {"class:putty", "putty.exe", "clip=- paste=- keydelay=- cr=-"},
        {"", "", "clip=- paste=- keydelay=- cr=-"},
        {"", "tscshellcontainerclass", "clip=- paste=- keydelay=- cr=2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(OverridesFor(rules, c.exe, c.windowClass)), c.set) << c.exe << " " << c.windowClass;
    EXPECT_EQ(ExeNameOf("C:\\Program Files\\PuTTY\\PUTTY.EXE"), "putty.exe");
    EXPECT_EQ(ExeNameOf("putty.exe"), "putty.exe");
}

TEST(ProgramRules, RulesAreDescribedForTheList) {
    EXPECT_EQ(DescribeOverrides(ParseRule("x", "cr=2,keydelay=20,paste=shift+insert,clip=1").set),
              "Keystrokes, Shift+Insert, 20 ms, Tab");
    EXPECT_EQ(DescribeOverrides(ParseRule("x", "clip=0,paste=ctrl+shift+v,cr=1").set),
              "Clipboard, Ctrl+Shift+V, Enter");
    EXPECT_EQ(DescribeOverrides(ParseRule("x", "font=big").set), "nothing");
    for (const ProgramRule& suggested : SuggestedRules()) {
        EXPECT_EQ(RuleKeyFor(suggested.program), suggested.program);
        EXPECT_FALSE(suggested.set.Empty()) << suggested.program;
        EXPECT_EQ(suggested.unknown, "") << suggested.program;
    }
}
} // namespace
