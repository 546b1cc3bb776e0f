// Delivery planning: key events of texts, arrow entries, separators, press geometry and the timer chain.
#include <gtest/gtest.h>

#include <map>

#include "deliver/DeliveryPlan.h"

namespace {
using E = InputEvent;
E Down(uint8_t vk) {
    return {E::kKeyDown, vk};
}
E Up(uint8_t vk) {
    return {E::kKeyUp, vk};
}
E Pause() {
    return {E::kPause, kKeyStrokeDelayMs};
}

// VkKeyScanA of a US layout, plus "@" as a Ctrl+Alt character as on a German layout.
int16_t UsKeyScan(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return int16_t(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return int16_t(0x100 | c);
    if (c >= '0' && c <= '9')
        return int16_t(c);
    switch (c) {
    case '.': return 0xBE;
    case '!': return 0x131;
    case ' ': return 0x20;
    case '@': return 0x651;
    case '\r': return 0x0D;
    case '\t': return 0x09;
    default: return -1;
    }
}

TEST(DeliveryPlan, KeyStrokesOfTexts) {
    const struct {
        std::string text;
        bool caps;
        InputPlan plan;
    } cases[] = {
        {"a", false, {Down('A'), Up('A'), Pause()}},
        {"B", false, {Down(kVkShift), Down('B'), Up('B'), Up(kVkShift), Pause()}},
        {"7.", false, {Down('7'), Up('7'), Pause(), Down(0xBE), Up(0xBE), Pause()}},
        {"!", false, {Down(kVkShift), Down('1'), Up('1'), Up(kVkShift), Pause()}},
        // Ctrl pressed before Alt and released after it.
        {"@",
         false,
         {Down(kVkControl), Down(kVkMenu), Down('Q'), Up('Q'), Up(kVkMenu), Up(kVkControl), Pause()}},
        // No key on the layout: typed as the character, not as three modifiers and key 255.
        {"\xE9", false, {{E::kUnicode, 0xE9}, Pause()}},
        {"aB",
         true,
         {Down(kVkCapital), Up(kVkCapital), Down('A'), Up('A'), Pause(), Down(kVkShift), Down('B'), Up('B'),
          Up(kVkShift), Pause(), Down(kVkCapital), Up(kVkCapital)}},
        {"", true, {Down(kVkCapital), Up(kVkCapital), Down(kVkCapital), Up(kVkCapital)}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        InputPlan plan = PlanTyping(c.text, 1, c.caps, UsKeyScan);
        EXPECT_EQ(plan, c.plan) << c.text << " caps " << c.caps << ": " << Describe(plan);
    }
}

TEST(DeliveryPlan, CharacterModePostsEveryByteWithoutPause) {
    InputPlan plan = PlanTyping("Hi\xE9", 2, true, UsKeyScan);
    InputPlan want = {Down(kVkCapital),     Up(kVkCapital),   {E::kPostChar, 'H'}, {E::kPostChar, 'i'},
                      {E::kPostChar, 0xE9}, Down(kVkCapital), Up(kVkCapital)};
    EXPECT_EQ(plan, want) << Describe(plan);
}

TEST(DeliveryPlan, ArrowCounts) {
    const struct {
        std::string text;
        int count;
    } cases[] = {
        {"|3", 3},
        {"|0", 0},
        {"|12x", 12},
        {"|1|2", 1},
        {"|a", -1},
        {"a|3", -1},
        {"|", -1},
        {"", -1},
        {" |3", -1},
        {"|500", 500},
        {"|501", kMaxArrowCount},
        {"|99999999999999999999", kMaxArrowCount},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArrowCount(c.text), c.count) << c.text;
}

TEST(DeliveryPlan, SeparatorsAndPasteUseTheLayoutsKeys) {
    EXPECT_EQ(PlanSeparator(1, UsKeyScan), (InputPlan{Down(kVkReturn), Up(kVkReturn)}));
    EXPECT_EQ(PlanSeparator(0, UsKeyScan), (InputPlan{Down(kVkReturn), Up(kVkReturn)}));
    EXPECT_EQ(PlanSeparator(2, UsKeyScan), (InputPlan{Down(kVkTab), Up(kVkTab)}));
    EXPECT_EQ(PlanPaste(UsKeyScan), (InputPlan{Down(kVkControl), Down('V'), Up('V'), Up(kVkControl)}));
    // A layout whose "v" sits elsewhere (shift state ignored): its key is pressed.
    auto odd = [](unsigned char c) -> int16_t { return c == 'v' ? int16_t(0x14F) : UsKeyScan(c); };
    EXPECT_EQ(PlanPaste(odd), (InputPlan{Down(kVkControl), Down(0x4F), Up(0x4F), Up(kVkControl)}));
}

TEST(DeliveryPlan, PressGeometry) {
    const IntRect area = {10, 0, 26, 350}; // middle line at 175
    const struct {
        int x, y;
        bool login;
        int field;
    } cases[] = {
        {10, 0, true, kLoginField},      {20, 100, true, kLoginField},    {20, 174, true, kLoginField},
        {20, 175, true, kPasswordField}, {25, 349, true, kPasswordField}, {20, 10, false, kEntryField},
        {20, 300, false, kEntryField},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldForPress(area, c.x, c.y, c.login), c.field) << c.x << "," << c.y;

    EXPECT_TRUE(Contains(area, 10, 0));
    EXPECT_FALSE(Contains(area, 26, 5));
    EXPECT_FALSE(Contains(area, 15, 350));
    EXPECT_FALSE(Contains(IntRect{0, 0, 0, 0}, 0, 0));

    Offset onHandle = PointerShiftForPress(12, 3);
    EXPECT_EQ(onHandle.dx, 5);
    EXPECT_EQ(onHandle.dy, 4);
    Offset onStrip = PointerShiftForPress(12, 16);
    EXPECT_EQ(onStrip.dx, 0);
    EXPECT_EQ(onStrip.dy, 0);
}

// Records what the steps do, as readable words, and answers the queries like a 1024 x 768 US desktop.
class Recorder : public InputSink {
  public:
    std::string log;
    bool caps = false;
    bool clipboardWorks = true;
    bool hasNextWindow = true;

    void Play(const InputEvent& e, long x, long y) override {
        switch (e.kind) {
        case E::kKeyDown: log += "+" + Name(e.code) + " "; break;
        case E::kKeyUp: log += "-" + Name(e.code) + " "; break;
        case E::kUnicode: log += "u" + std::to_string(e.code) + " "; break;
        case E::kPostChar:
            log += std::string(1, char(e.code)) + "@" + std::to_string(x) + ":" + std::to_string(y) + " ";
            break;
        case E::kPause: break;
        }
    }
    void Click(unsigned dx, unsigned dy) override {
        log += "click(" + std::to_string(dx) + "," + std::to_string(dy) + ") ";
    }
    bool PutOnClipboard(const std::string& text) override {
        log += clipboardWorks ? "clip(" + text + ") " : "clip-busy ";
        return clipboardWorks;
    }
    int16_t KeyScan(unsigned char c) override { return UsKeyScan(c); }
    bool CapsLockOn() override { return caps; }
    void ScreenSize(unsigned& w, unsigned& h) override { w = 1024, h = 768; }
    bool NextWindowPoint(long& x, long& y) override {
        log += "next ";
        if (!hasNextWindow)
            return false;
        x += 100, y += 1;
        return true;
    }

  private:
    static std::string Name(uint8_t vk) {
        switch (vk) {
        case kVkControl: return "Ctrl";
        case kVkShift: return "Shift";
        case kVkReturn: return "Enter";
        case kVkTab: return "Tab";
        case kVkDown: return "Down";
        case kVkCapital: return "Caps";
        default: return std::string(1, char(vk));
        }
    }
};

struct Chain {
    std::vector<std::string> entries;
    std::vector<std::string> logins, passwords;
    std::vector<int> selection;
    DeliveryJob job;

    Chain(std::vector<std::string> e, std::vector<int> sel, int sendMode, int separatorMode)
        : entries(std::move(e)), selection(std::move(sel)) {
        job.count = unsigned(selection.size());
        job.selection = selection.data();
        job.dropX = 500, job.dropY = 300;
        job.sendMode = sendMode;
        job.separatorMode = separatorMode;
    }

    EntrySource Source() {
        return [this](int index, int field, std::string& text) {
            const auto& box = field == kLoginField ? logins : field == kPasswordField ? passwords : entries;
            if (index < 0 || size_t(index) >= box.size())
                return false;
            text = box[size_t(index)];
            return true;
        };
    }

    // Runs the timers of a drop at time 0 as one-shot timers would fire; one line per step.
    std::vector<std::string> Run(Recorder& sink) {
        std::map<unsigned, unsigned> due = {{kChainClick, kClickDelay}, {kChainSend, kSendDelay}};
        std::vector<std::string> lines;
        while (!due.empty()) {
            auto next = due.begin();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second < next->second)
                    next = it;
            unsigned id = next->first, now = next->second;
            due.erase(next);
            sink.log.clear();
            NextStep step = {kChainNone, 0};
            if (id == kChainClick)
                ClickStep(job, sink);
            else if (id == kChainSend)
                step = SendStep(job, Source(), sink);
            else if (id == kChainAfterEntry)
                step = AfterEntryStep(job, sink);
            else
                sink.log = "back ";
            if (!sink.log.empty())
                sink.log.pop_back();
            lines.push_back(std::to_string(now) + (sink.log.empty() ? "" : " ") + sink.log);
            if (step.timer != kChainNone)
                due[step.timer] = now + step.delay;
        }
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST(DeliveryChain, TwoEntriesByClipboardWithEnter) {
    Chain chain({"one", "two", "three"}, {0, 2}, 0, 1);
    Recorder sink;
    sink.caps = true; // the clipboard does not touch Caps Lock
    // (65535 div 1024) * 500, (65535 div 768) * 300
    EXPECT_EQ(chain.Run(sink),
              (Lines{"100 click(31500,25500)", "300 clip(one)", "600 +Ctrl +V -V -Ctrl +Enter -Enter",
                     "900 clip(three)", "1200 +Ctrl +V -V -Ctrl", "2200 back"}));
}

TEST(DeliveryChain, SeparatorsByMode) {
    const struct {
        int sendMode, separatorMode;
        bool hasNext;
        Lines lines;
    } cases[] = {
        {1,
         2,
         true,
         {"100 click(31500,25500)", "300 +A -A +Shift +B -B -Shift", "600 +Tab -Tab", "900 +C -C", "1200",
          "2200 back"}},
        {2,
         1,
         true,
         {"100 click(31500,25500)", "300 a@500:300 B@500:300", "600 +Enter -Enter", "900 c@500:300", "1200",
          "2200 back"}},
        // Character mode follows the Tab to the next window in Z order.
        {2,
         2,
         true,
         {"100 click(31500,25500)", "300 a@500:300 B@500:300", "600 +Tab -Tab next", "900 c@600:301", "1200",
          "2200 back"}},
        // With no next window the characters keep going to the previous field.
        {2,
         2,
         false,
         {"100 click(31500,25500)", "300 a@500:300 B@500:300", "600 +Tab -Tab next", "900 c@500:300", "1200",
          "2200 back"}},
    };
    for (const auto& c : cases) {
        Chain chain({"aB", "c"}, {0, 1}, c.sendMode, c.separatorMode);
        Recorder sink;
        sink.hasNextWindow = c.hasNext;
        EXPECT_EQ(chain.Run(sink), c.lines) << c.sendMode << "/" << c.separatorMode;
    }
}

TEST(DeliveryChain, ArrowEntriesPressDownInsteadOfTyping) {
    const struct {
        std::string entry;
        int sendMode;
        std::string sent;
        std::string next;
    } cases[] = {
        {"|3", 0, "300 +Down -Down +Down -Down +Down -Down", "900 clip(x)"},
        {"|3", 1, "300 +Down -Down +Down -Down +Down -Down", "900 +X -X"},
        {"|0", 0, "300", "900 clip(x)"},
        // Not arrow entries: typed (the fake layout has no "|" key, so it goes in as the character).
        {"|a", 1, "300 u124 +A -A", "900 +X -X"},
        {"a|3", 1, "300 +A -A u124 +3 -3", "900 +X -X"},
    };
    for (const auto& c : cases) {
        Chain chain({c.entry, "x"}, {0, 1}, c.sendMode, 1);
        Recorder sink;
        Lines lines = chain.Run(sink);
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[1], c.sent) << c.entry;
        // No paste after an arrow entry, but the separator follows, and the mode is back for the next one.
        EXPECT_EQ(lines[2], "600 +Enter -Enter") << c.entry;
        EXPECT_EQ(lines[3], c.next) << c.entry;
        EXPECT_EQ(chain.job.sendMode, c.sendMode);
    }
}

TEST(DeliveryChain, LoginListSendsOneFieldOfTheFirstEntry) {
    const struct {
        int field;
        std::string sent;
    } cases[] = {
        {kLoginField, "300 clip(ann)"},
        {kPasswordField, "300 clip(pw1)"},
        {kEntryField, "300 clip(bank)"},
    };
    for (const auto& c : cases) {
        Chain chain({"bank", "mail", "shop"}, {0, 1, 2}, 0, 1);
        chain.logins = {"ann", "bob", "cy"};
        chain.passwords = {"pw1", "pw2", "pw3"};
        chain.job.loginList = true;
        chain.job.field = c.field;
        Recorder sink;
        EXPECT_EQ(chain.Run(sink),
                  (Lines{"100 click(31500,25500)", c.sent, "600 +Ctrl +V -V -Ctrl", "1600 back"}));
    }
    // A password that looks like an arrow entry is one.
    Chain chain({"bank"}, {0}, 1, 1);
    chain.logins = {"ann"};
    chain.passwords = {"|2"};
    chain.job.loginList = true;
    chain.job.field = kPasswordField;
    Recorder sink;
    EXPECT_EQ(chain.Run(sink),
              (Lines{"100 click(31500,25500)", "300 +Down -Down +Down -Down", "600", "1600 back"}));
}

TEST(DeliveryChain, FaultsSendNothingWrong) {
    // The clipboard stays busy: no Ctrl+V pastes its old content, the separator and pacing stay.
    {
        Chain chain({"one", "two"}, {0, 1}, 0, 1);
        Recorder sink;
        sink.clipboardWorks = false;
        EXPECT_EQ(chain.Run(sink), (Lines{"100 click(31500,25500)", "300 clip-busy", "600 +Enter -Enter",
                                          "900 clip-busy", "1200", "2200 back"}));
        EXPECT_EQ(chain.job.sendMode, 0);
    }
    // Indices that no longer name an entry are skipped.
    {
        Chain chain({"one", "two"}, {1, 5, 7}, 1, 1);
        Recorder sink;
        EXPECT_EQ(chain.Run(sink), (Lines{"100 click(31500,25500)", "300 +T -T +W -W +O -O",
                                          "600 +Enter -Enter", "900", "1900 back"}));
    }
    // Caps Lock on: off before the text, on again after it.
    {
        Chain chain({"Ab"}, {0}, 1, 1);
        Recorder sink;
        sink.caps = true;
        EXPECT_EQ(chain.Run(sink)[1], "300 +Caps -Caps +Shift +A -A -Shift +B -B +Caps -Caps");
    }
}
} // namespace
