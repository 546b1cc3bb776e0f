// Delivery planning: key events of texts on a layout, arrow entries, separators, press geometry, the
// clipboard rule and the timer chain with its pacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "deliver/DeliveryPlan.h"

namespace {
using E = InputEvent;

// A US layout (scan codes of set 1), plus "@" as a Ctrl+Alt character as on a German layout. With
// germanDeadKeys, "^" and "`" are dead keys, and "~" is a dead Ctrl+Alt key as on a French layout.
class FakeLayout : public KeyLayout {
  public:
    explicit FakeLayout(bool germanDeadKeys = false) : m_dead(germanDeadKeys) {}

    int16_t KeyScan(char16_t c) const override {
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
        case '^': return m_dead ? 0xDC : 0x136;
        case '`': return m_dead ? 0x1DD : 0xC0;
        case '~': return m_dead ? 0x632 : 0x1C0;
        case '\r': return 0x0D;
        case '\t': return 0x09;
        case u'\u3042': return 0x841; // a Kana-shifted key: not Shift, Ctrl or Alt
        default: return -1;
        }
    }
    uint16_t ScanCode(uint8_t vk) const override {
        static const std::map<uint8_t, uint16_t> kScans = {
            {'A', 0x1E},      {'B', 0x30},        {'C', 0x2E},     {'Q', 0x10},        {'V', 0x2F},
            {'X', 0x2D},      {'1', 0x02},        {'3', 0x04},     {'7', 0x08},        {0xBE, 0x34},
            {kVkShift, 0x2A}, {kVkControl, 0x1D}, {kVkMenu, 0x38}, {kVkCapital, 0x3A}, {kVkReturn, 0x1C},
            {kVkTab, 0x0F},   {kVkDown, 0x50},    {'O', 0x18},     {'T', 0x14},        {'W', 0x11}};
        auto it = kScans.find(vk);
        return it == kScans.end() ? 0 : it->second;
    }
    bool IsDeadKey(uint8_t vk, uint8_t shift) const override {
        return m_dead && (vk == 0xDC || vk == 0xDD || (vk == '2' && shift == 6));
    }

  private:
    bool m_dead;
};

const FakeLayout kUs;
E Down(uint8_t vk) {
    return {E::kKeyDown, vk, kUs.ScanCode(vk), IsExtendedKey(vk)};
}
E Up(uint8_t vk) {
    return {E::kKeyUp, vk, kUs.ScanCode(vk), IsExtendedKey(vk)};
}
E Pause(uint16_t ms = kKeyStrokeDelayMs) {
    return {E::kPause, ms};
}
E Unicode(char16_t unit) {
    return {E::kUnicode, unit};
}

TEST(DeliveryPlan, KeyStrokesCarryTheLayoutsScanCodes) {
    const struct {
        std::string text;
        bool caps;
        InputPlan plan;
    } cases[] = {
        {"a", false, {{E::kKeyDown, 'A', 0x1E}, {E::kKeyUp, 'A', 0x1E}, Pause()}},
        {"B",
         false,
         {{E::kKeyDown, kVkShift, 0x2A},
          {E::kKeyDown, 'B', 0x30},
          {E::kKeyUp, 'B', 0x30},
          {E::kKeyUp, kVkShift, 0x2A},
          Pause()}},
        {"7.", false, {Down('7'), Up('7'), Pause(), Down(0xBE), Up(0xBE), Pause()}},
        {"!", false, {Down(kVkShift), Down('1'), Up('1'), Up(kVkShift), Pause()}},
        // Ctrl pressed before Alt and released after it.
        {"@",
         false,
         {Down(kVkControl), Down(kVkMenu), Down('Q'), Up('Q'), Up(kVkMenu), Up(kVkControl), Pause()}},
        {"aB",
         true,
         {{E::kKeyDown, kVkCapital, 0x3A},
          Up(kVkCapital),
          Down('A'),
          Up('A'),
          Pause(),
          Down(kVkShift),
          Down('B'),
          Up('B'),
          Up(kVkShift),
          Pause(),
          Down(kVkCapital),
          Up(kVkCapital)}},
        {"", true, {Down(kVkCapital), Up(kVkCapital), Down(kVkCapital), Up(kVkCapital)}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        InputPlan plan = PlanTyping(c.text, kSendKeyStrokes, c.caps, kKeyStrokeDelayMs, kUs);
        EXPECT_EQ(plan, c.plan) << c.text << " caps " << c.caps << ": " << Describe(plan);
    }
    // The Down arrow is an extended key with scan code 0x50; Enter, Tab and the paste's keys are not.
    EXPECT_EQ(PlanArrows(2, kUs), (InputPlan{{E::kKeyDown, kVkDown, 0x50, true},
                                             {E::kKeyUp, kVkDown, 0x50, true},
                                             {E::kKeyDown, kVkDown, 0x50, true},
                                             {E::kKeyUp, kVkDown, 0x50, true}}));
    EXPECT_EQ(PlanSeparator(kSeparatorEnter, kUs),
              (InputPlan{{E::kKeyDown, kVkReturn, 0x1C}, {E::kKeyUp, kVkReturn, 0x1C}}));
    EXPECT_EQ(PlanSeparator(EntrySeparator(0), kUs), (InputPlan{Down(kVkReturn), Up(kVkReturn)}));
    EXPECT_EQ(PlanSeparator(kSeparatorTab, kUs),
              (InputPlan{{E::kKeyDown, kVkTab, 0x0F}, {E::kKeyUp, kVkTab, 0x0F}}));
    EXPECT_EQ(PlanPaste(kUs), (InputPlan{{E::kKeyDown, kVkControl, 0x1D},
                                         {E::kKeyDown, 'V', 0x2F},
                                         {E::kKeyUp, 'V', 0x2F},
                                         {E::kKeyUp, kVkControl, 0x1D}}));
    for (int vk : {0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E, 0x21, 0x22, 0x23, 0x24})
        EXPECT_TRUE(IsExtendedKey(uint8_t(vk))) << vk;
    for (int vk : {int('A'), int(kVkReturn), int(kVkTab), int(kVkShift), int(kVkControl), int(kVkMenu),
                   int(kVkCapital)})
        EXPECT_FALSE(IsExtendedKey(uint8_t(vk))) << vk;
}

TEST(DeliveryPlan, DeadKeysAndCharactersWithoutAKeyGoInAsThemselves) {
    const FakeLayout german(true);
    auto key = [&](uint8_t vk, bool down) {
        return E{down ? E::kKeyDown : E::kKeyUp, vk, german.ScanCode(vk), false};
    };
    const struct {
        std::string text; // UTF-8
        InputPlan plan;
    } cases[] = {
        // A dead key would wait and merge "^" with the "a" after it.
        {"^a", {Unicode(u'^'), Pause(), key('A', true), key('A', false), Pause()}},
        {"`~", {Unicode(u'`'), Pause(), Unicode(u'~'), Pause()}},
        // No key on the layout; a code point beyond 16 bits is its two surrogates, then one pause.
        {"\xC3\xA9\xE2\x82\xAC", {Unicode(u'\u00E9'), Pause(), Unicode(u'\u20AC'), Pause()}},
        {"\xF0\x9F\x98\x80", {Unicode(0xD83D), Unicode(0xDE00), Pause()}},
        // A shift state beyond Shift, Ctrl and Alt.
        {"\xE3\x81\x82", {Unicode(u'\u3042'), Pause()}},
        // A byte that is no UTF-8 is the replacement character, not half a key.
        {"\xE9", {Unicode(u'\uFFFD'), Pause()}},
        // "@" is Ctrl+Alt+Q there too, but no dead key.
        {"@",
         {key(kVkControl, true), key(kVkMenu, true), key('Q', true), key('Q', false), key(kVkMenu, false),
          key(kVkControl, false), Pause()}},
    };
    for (const auto& c : cases) {
        InputPlan plan = PlanTyping(c.text, kSendKeyStrokes, false, kKeyStrokeDelayMs, german);
        EXPECT_EQ(plan, c.plan) << c.text << ": " << Describe(plan);
    }
    // On the US layout the same characters have live keys.
    EXPECT_EQ(PlanTyping("^", kSendKeyStrokes, false, 4, kUs),
              (InputPlan{Down(kVkShift), Down('6'), Up('6'), Up(kVkShift), Pause()}));
}

TEST(DeliveryPlan, CharacterModePostsEveryUtf16UnitWithoutPause) {
    // "Hé☃😀" in UTF-8.
    InputPlan plan = PlanTyping("H\xC3\xA9\xE2\x98\x83\xF0\x9F\x98\x80", kSendCharacters, true, 40, kUs);
    InputPlan want = {Down(kVkCapital),       Up(kVkCapital),         {E::kPostChar, 'H'},
                      {E::kPostChar, 0xE9},   {E::kPostChar, 0x2603}, {E::kPostChar, 0xD83D},
                      {E::kPostChar, 0xDE00}, Down(kVkCapital),       Up(kVkCapital)};
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

TEST(DeliveryPlan, PasteUsesTheKeyOfVOnTheLayout) {
    // A layout whose "v" sits elsewhere (shift state ignored): its key is pressed.
    class Dvorakish : public FakeLayout {
      public:
        int16_t KeyScan(char16_t c) const override {
            return c == 'v' ? int16_t(0x14F) : FakeLayout::KeyScan(c);
        }
    } odd;
    EXPECT_EQ(PlanPaste(odd), (InputPlan{Down(kVkControl), Down('O'), Up('O'), Up(kVkControl)}));
    // A program's rule may ask for another combination; Insert comes with its extended scan code.
    EXPECT_EQ(PlanPaste(odd, kPasteCtrlShiftV),
              (InputPlan{Down(kVkControl), Down(kVkShift), Down('O'), Up('O'), Up(kVkShift), Up(kVkControl)}));
    EXPECT_EQ(PlanPaste(odd, kPasteShiftInsert),
              (InputPlan{Down(kVkShift), {E::kKeyDown, kVkInsert, 0, true}, {E::kKeyUp, kVkInsert, 0, true},
                         Up(kVkShift)}));
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

TEST(DeliveryPlan, ClipboardComesBackAfterSecretsOrWhenAsked) {
    const struct {
        ListKind kind;
        int field;
        bool option, restore;
    } cases[] = {
        {kPlainList, kEntryField, false, false},   {kPlainList, kEntryField, true, true},
        {kLoginList, kLoginField, false, false},   {kLoginList, kLoginField, true, true},
        {kLoginList, kPasswordField, false, true}, {kEncryptedList, kEntryField, false, true},
        {kProtectedList, kEntryField, false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MustRestoreClipboard(c.kind, c.field, c.option), c.restore) << c.kind << "/" << c.field;
}

// Records what the steps do, as readable words, on a clock of its own, and answers the queries like a
// 1024 x 768 US desktop.
class Recorder : public InputSink {
  public:
    std::string log;
    uint64_t now = 0;
    std::vector<uint64_t> keyDowns; // times of the key-down events
    bool caps = false;
    bool clipboardWorks = true;
    bool hasNextWindow = true;
    bool outOfReach = false;
    int playsBeforeRefusal = -1; // the system refuses input after this many events
    bool clickRefused = false;
    bool kept = false;
    // Who reads each clipboard entry, and when, counted from the paste keys (negative: before them); no
    // read at all without a reader.
    uint32_t reader = kTargetProcess;
    int readDelay = 0;
    static constexpr uint32_t kTargetProcess = 7;

    bool Play(const InputEvent& e, long x, long y) override {
        if (playsBeforeRefusal >= 0 && playsBeforeRefusal-- == 0)
            return false;
        switch (e.kind) {
        case E::kKeyDown:
            keyDowns.push_back(now);
            log += "+" + Name(e.code) + " ";
            break;
        case E::kKeyUp: log += "-" + Name(e.code) + " "; break;
        case E::kUnicode: log += "u" + std::to_string(e.code) + " "; break;
        case E::kPostChar:
            log += std::string(1, char(e.code)) + "@" + std::to_string(x) + ":" + std::to_string(y) + " ";
            break;
        case E::kPause:
        case E::kNextField: break;
        }
        return true;
    }
    bool Click(unsigned dx, unsigned dy) override {
        if (clickRefused)
            return false;
        log += "click(" + std::to_string(dx) + "," + std::to_string(dy) + ") ";
        return true;
    }
    bool PutOnClipboard(const std::string& text, bool keepOriginal) override {
        kept = kept || (keepOriginal && clipboardWorks);
        log += clipboardWorks ? "clip(" + text + (keepOriginal ? ",keep) " : ") ") : "clip-busy ";
        return clipboardWorks;
    }
    void RestoreClipboard() override {
        if (kept)
            log += "restore ";
        kept = false;
    }
    uint32_t TargetProcess() override { return kTargetProcess; }
    const KeyLayout& Layout() override { return kUs; }
    bool CapsLockOn() override { return caps; }
    void ScreenSize(unsigned& w, unsigned& h) override { w = 1024, h = 768; }
    bool NextWindowPoint(long& x, long& y) override {
        log += "next ";
        if (!hasNextWindow)
            return false;
        x += 100, y += 1;
        return true;
    }
    bool TargetOutOfReach(long, long) override { return outOfReach; }
    uint64_t Now() override { return now; }
    void Wait(unsigned ms) override { now += ms; }
    std::string InsertedText(SequenceItem::Kind kind) override {
        log += "ask ";
        return kind == SequenceItem::kDate ? "D" : kind == SequenceItem::kTime ? "T" : clipboardText;
    }
    std::string clipboardText = "old";

  private:
    static std::string Name(uint16_t vk) {
        switch (vk) {
        case kVkControl: return "Ctrl";
        case kVkShift: return "Shift";
        case kVkReturn: return "Enter";
        case kVkTab: return "Tab";
        case kVkDown: return "Down";
        case kVkCapital: return "Caps";
        case 0x23: return "End";
        case kVkInsert: return "Ins";
        default: return std::string(1, char(vk));
        }
    }
};

struct Chain {
    std::vector<std::string> entries;
    std::vector<std::string> logins, passwords;
    std::vector<int> selection;
    DeliveryJob job;
    bool ended = false;

    Chain(std::vector<std::string> e, std::vector<int> sel, int sendMode, int separatorMode)
        : entries(std::move(e)), selection(std::move(sel)) {
        job.count = unsigned(selection.size());
        job.selection = selection.data();
        job.dropX = 500, job.dropY = 300;
        job.sendMode = SendMethod(sendMode);
        job.separatorMode = EntrySeparator(separatorMode);
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

    // Runs the timers of a drop at time 0 as one-shot timers would fire, each when it is due or once the
    // step before has returned; one line per step, with the time it started.
    std::vector<std::string> Run(Recorder& sink) {
        std::map<unsigned, uint64_t> due = {{kChainClick, kClickDelay}, {kChainSend, kSendDelay}};
        std::vector<std::string> lines;
        while (!due.empty()) {
            auto next = due.begin();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second < next->second)
                    next = it;
            unsigned id = next->first;
            sink.now = std::max(sink.now, next->second);
            due.erase(next);
            uint64_t started = sink.now;
            sink.log.clear();
            NextStep step = Step(id, sink);
            if (!sink.log.empty())
                sink.log.pop_back();
            lines.push_back(std::to_string(started) + (sink.log.empty() ? "" : " ") + sink.log);
            if (ended)
                due.clear(); // the delivery's timers go with it
            else if (step.timer != kChainNone)
                due[step.timer] = sink.now + step.delay;
            // Each entry on the clipboard is read once, when the sink says.
            bool beforePaste = sink.readDelay < 0;
            if (sink.reader && id == kChainSend && job.paste.state == PasteWatch::kOnClipboard && beforePaste)
                due[kRead] = sink.now + uint64_t(int64_t(kAfterEntryDelay) + sink.readDelay);
            if (sink.reader && id == kChainAfterEntry && job.paste.state == PasteWatch::kPasted && !beforePaste)
                due[kRead] = job.paste.pastedAt + uint64_t(sink.readDelay);
        }
        return lines;
    }

    static constexpr unsigned kRead = 100; // not a timer: a read of the clipboard entry

    NextStep Step(unsigned id, Recorder& sink) {
        NextStep step = {kChainNone, 0};
        if (id == kChainClick)
            step = ClickStep(job, sink);
        else if (id == kChainSend)
            step = SendStep(job, Source(), sink);
        else if (id == kChainType)
            step = TypeStep(job, sink);
        else if (id == kChainAfterEntry)
            step = AfterEntryStep(job, sink);
        else if (id == kChainClipboardWait)
            step = ClipboardWaitStep(job, sink);
        else if (id == kRead) {
            sink.log += "read ";
            step = ClipboardReadStep(job, sink.reader, sink.now);
        }
        if (step.timer == kChainRefused || id == kChainFinish) {
            sink.log += step.timer == kChainRefused ? "refused " : "";
            FinishStep(job, sink);
            sink.log += "back ";
            ended = true;
            return {kChainNone, 0};
        }
        return step;
    }
};

using Lines = std::vector<std::string>;

TEST(DeliveryChain, TwoEntriesByClipboardWithEnter) {
    Chain chain({"one", "two", "three"}, {0, 2}, 0, 1);
    Recorder sink;
    sink.caps = true; // the clipboard does not touch Caps Lock
    // (65535 div 1024) * 500, (65535 div 768) * 300
    EXPECT_EQ(chain.Run(sink),
              (Lines{"100 click(31500,25500)", "300 clip(one)", "600 +Ctrl +V -V -Ctrl", "600 read",
                     "900 +Enter -Enter", "1200 clip(three)", "1500 +Ctrl +V -V -Ctrl", "1500 read", "1800",
                     "1800 back"}));
}

TEST(DeliveryChain, EveryEntryIsPastedWithTheJobsKeys) {
    Chain chain({"one", "two"}, {0, 1}, 0, 2);
    chain.job.pasteKeys = kPasteShiftInsert;
    Recorder sink;
    EXPECT_EQ(chain.Run(sink),
              (Lines{"100 click(31500,25500)", "300 clip(one)", "600 +Shift +Ins -Ins -Shift", "600 read",
                     "900 +Tab -Tab", "1200 clip(two)", "1500 +Shift +Ins -Ins -Shift", "1500 read", "1800",
                     "1800 back"}));
}

TEST(DeliveryChain, ClipboardEntriesWaitForTheTargetsRead) {
    const struct {
        uint32_t reader; // 0: nobody reads
        int readDelay;   // after the paste keys at 600
        uint64_t nextAt; // when the separator goes and the clipboard may change
        bool unread;
    } cases[] = {
        {Recorder::kTargetProcess, 0, 900, false},
        {Recorder::kTargetProcess, 2000, 2900, false}, // a slow target
        {Recorder::kTargetProcess, 9000, 9900, false},
        {0, 0, 10600, true}, // never read: on after the time-out, and the user is told
        // A monitor read first, before or after the paste keys: the target's read cannot be seen.
        {99, -200, 2600, false},
        {99, 100, 2600, false},
        {99, 2500, 3400, false},
        // Before the paste keys even the target's process is not the target reading.
        {Recorder::kTargetProcess, -200, 2600, false},
    };
    for (const auto& c : cases) {
        Chain chain({"one", "two"}, {0, 1}, 0, 1);
        chain.job.listKind = kEncryptedList;
        Recorder sink;
        sink.reader = c.reader;
        sink.readDelay = c.readDelay;
        Lines lines = chain.Run(sink);
        std::string separator = std::to_string(c.nextAt) + " +Enter -Enter";
        auto at = std::find(lines.begin(), lines.end(), separator);
        ASSERT_NE(at, lines.end()) << c.reader << " " << c.readDelay;
        // Nothing touches the clipboard between the paste and the separator; the next entry follows it.
        auto paste = std::find(lines.begin(), lines.end(), "600 +Ctrl +V -V -Ctrl");
        ASSERT_LT(paste, at);
        for (auto line = paste + 1; line != at; ++line)
            EXPECT_TRUE(*line == "600" || line->find("read") != std::string::npos) << *line;
        EXPECT_EQ(*(at + 1), std::to_string(c.nextAt + kSendDelay) + " clip(two,keep)");
        EXPECT_EQ(lines.back(), std::to_string(c.nextAt + (c.nextAt - 600) + 2 * kSendDelay) + " restore back")
            << c.reader << " " << c.readDelay;
        EXPECT_EQ(chain.job.clipboardUnread, c.unread) << c.reader << " " << c.readDelay;
    }
    // Reads noted by hand: a text that left the clipboard unread counts as read by someone else, and
    // later reads change nothing.
    PasteWatch watch;
    watch.state = PasteWatch::kPasted;
    watch.pastedAt = 1000;
    watch.targetProcess = 7;
    NoteClipboardRead(watch, 0, 1200);
    NoteClipboardRead(watch, 7, 1300);
    EXPECT_EQ(watch.readBy, PasteWatch::kSomeoneElse);
    EXPECT_EQ(JudgePaste(watch, 1500).wait, 1500u);
    EXPECT_FALSE(JudgePaste(watch, 3000).unread);
    watch = PasteWatch(); // idle: nothing on the clipboard to watch
    NoteClipboardRead(watch, 7, 1300);
    EXPECT_EQ(watch.readBy, PasteWatch::kNobody);
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
         {"100 click(31500,25500)", "300 +A -A +Shift +B -B -Shift", "608 +Tab -Tab", "908 +C -C", "1212",
          "2212 back"}},
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

TEST(DeliveryChain, PacingWaitsOnTimersAndGivesTheLoopTurns) {
    const struct {
        int keyDelay;
        size_t length;
        Lines steps; // start times of the steps after the click, and how many keys each pressed
    } cases[] = {
        // Long pauses on type timers; the pause after the last character too, then the usual 300 ms.
        {40, 3, {"300:1", "340:1", "380:1", "420:0", "720:0", "1720:0"}},
        {1000, 2, {"300:1", "1300:1", "2300:0", "2600:0", "3600:0"}},
        // Short pauses in place, with a turn for the message loop every 200 ms (51 characters).
        {4, 120, {"300:51", "504:51", "708:18", "1080:0", "2080:0"}},
    };
    for (const auto& c : cases) {
        Chain chain({std::string(c.length, 'a')}, {0}, 1, 1);
        chain.job.keyDelay = c.keyDelay;
        Recorder sink;
        Lines lines = chain.Run(sink), steps;
        for (size_t i = 1; i < lines.size(); ++i) {
            size_t keys = 0;
            for (size_t at = lines[i].find("+A"); at != std::string::npos; at = lines[i].find("+A", at + 1))
                ++keys;
            steps.push_back(lines[i].substr(0, lines[i].find(' ')) + ":" + std::to_string(keys));
        }
        EXPECT_EQ(steps, c.steps) << c.keyDelay;
        ASSERT_EQ(sink.keyDowns.size(), c.length);
        for (size_t i = 1; i < sink.keyDowns.size(); ++i)
            ASSERT_GE(sink.keyDowns[i] - sink.keyDowns[i - 1], uint64_t(c.keyDelay))
                << c.keyDelay << " at " << i;
        EXPECT_TRUE(chain.job.typing.empty());
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
        {"|a", 1, "300 u124 +A -A", "908 +X -X"},
        {"a|3", 1, "300 +A -A u124 +3 -3", "912 +X -X"},
    };
    for (const auto& c : cases) {
        Chain chain({c.entry, "x"}, {0, 1}, c.sendMode, 1);
        Recorder sink;
        Lines lines = chain.Run(sink);
        ASSERT_GE(lines.size(), 6u);
        EXPECT_EQ(lines[1], c.sent) << c.entry;
        // No paste after an arrow entry, but the separator follows, and the mode is back for the next one.
        EXPECT_EQ(lines[2].substr(lines[2].find(' ')), " +Enter -Enter") << c.entry;
        EXPECT_EQ(lines[3], c.next) << c.entry;
        EXPECT_EQ(chain.job.sendMode, c.sendMode);
        EXPECT_FALSE(chain.job.noText);
    }
}

TEST(DeliveryChain, LoginListSendsOneFieldOfTheFirstEntryAndRestoresAfterPasswords) {
    const struct {
        ListKind kind;
        int field;
        bool option;
        Lines lines;
    } cases[] = {
        {kLoginList, kLoginField, false, {"300 clip(ann)", "600 +Ctrl +V -V -Ctrl", "600 read", "900", "900 back"}},
        {kLoginList,
         kPasswordField,
         false,
         {"300 clip(pw1,keep)", "600 +Ctrl +V -V -Ctrl", "600 read", "900", "900 restore back"}},
        {kLoginList,
         kLoginField,
         true,
         {"300 clip(ann,keep)", "600 +Ctrl +V -V -Ctrl", "600 read", "900", "900 restore back"}},
        {kPlainList,
         kEntryField,
         false,
         {"300 clip(bank)", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Enter -Enter", "1200 clip(mail)",
          "1500 +Ctrl +V -V -Ctrl", "1500 read", "1800", "1800 back"}},
        {kEncryptedList,
         kEntryField,
         false,
         {"300 clip(bank,keep)", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Enter -Enter",
          "1200 clip(mail,keep)", "1500 +Ctrl +V -V -Ctrl", "1500 read", "1800", "1800 restore back"}},
    };
    for (const auto& c : cases) {
        Chain chain({"bank", "mail"}, {0, 1}, 0, 1);
        chain.logins = {"ann", "bob"};
        chain.passwords = {"pw1", "pw2"};
        chain.job.listKind = c.kind;
        chain.job.field = c.field;
        chain.job.restoreOption = c.option;
        Recorder sink;
        Lines lines = chain.Run(sink);
        lines.erase(lines.begin()); // the click
        EXPECT_EQ(lines, c.lines) << c.kind << "/" << c.field;
    }
    // A password that looks like an arrow entry is one.
    Chain chain({"bank"}, {0}, 1, 1);
    chain.logins = {"ann"};
    chain.passwords = {"|2"};
    chain.job.listKind = kLoginList;
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
        EXPECT_EQ(chain.job.sendMode, kSendClipboard);
        EXPECT_FALSE(chain.job.noText);
    }
    // Indices that no longer name an entry are skipped.
    {
        Chain chain({"one", "two"}, {1, 5, 7}, 1, 1);
        Recorder sink;
        EXPECT_EQ(chain.Run(sink), (Lines{"100 click(31500,25500)", "300 +T -T +W -W +O -O",
                                          "612 +Enter -Enter", "912", "1912 back"}));
    }
    // Caps Lock on: off before the text, on again after it.
    {
        Chain chain({"Ab"}, {0}, 1, 1);
        Recorder sink;
        sink.caps = true;
        EXPECT_EQ(chain.Run(sink)[1], "300 +Caps -Caps +Shift +A -A -Shift +B -B +Caps -Caps");
    }
}

TEST(DeliveryChain, TargetOutOfReachEndsTheDeliveryAtOnce) {
    const struct {
        int sendMode;
        bool outOfReach;
        int playsBeforeRefusal;
        Lines lines;
        bool clickRefused = false;
    } cases[] = {
        // Higher rights: nothing is typed, pasted or put on the clipboard.
        {0, true, -1, {"100 click(31500,25500)", "300 refused back"}},
        {1, true, -1, {"100 click(31500,25500)", "300 refused back"}},
        // The system refuses the input half way: the rest is dropped, the plan wiped.
        {1, false, 3, {"100 click(31500,25500)", "300 +A -A +B refused back"}},
        {0, false, 2, {"100 click(31500,25500)", "300 clip(ab,keep)", "600 +Ctrl +V refused restore back"}},
        // The activating click is refused: nothing follows it.
        {0, false, -1, {"100 refused back"}, true},
        {1, false, -1, {"100 refused back"}, true},
    };
    for (const auto& c : cases) {
        Chain chain({"ab", "cd"}, {0, 1}, c.sendMode, 1);
        chain.job.listKind = kEncryptedList;
        Recorder sink;
        sink.outOfReach = c.outOfReach;
        sink.playsBeforeRefusal = c.playsBeforeRefusal;
        sink.clickRefused = c.clickRefused;
        EXPECT_EQ(chain.Run(sink), c.lines) << c.sendMode << " " << c.outOfReach;
        EXPECT_TRUE(chain.job.typing.empty());
        EXPECT_EQ(chain.job.sendMode, c.sendMode);
        EXPECT_FALSE(chain.job.noText);
    }
}
} // namespace

namespace {
TEST(DeliveryPlan, KeySequencePieces) {
    InsertedTexts texts = {"D", "T", ""};
    // Typed: one plan; the typing delay changes for what follows, Tab and Enter come from the layout.
    EntryPieces typed = PlanSequence(ParseKeySequence("a{DELAY=9}{TAB 2}{DELAY 500}{CLIPBOARD}{DATE}"), texts,
                                     kSendKeyStrokes, false, 4, kUs);
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ(typed[0].keys, (InputPlan{Down('A'), Up('A'), Pause(4), Down(kVkTab), Up(kVkTab), Pause(9),
                                        Down(kVkTab), Up(kVkTab), Pause(9), Pause(500), Down(kVkShift),
                                        Down('D'), Up('D'), Up(kVkShift), Pause(9)}))
        << Describe(typed[0].keys);
    // Characters are posted; the keys are real key strokes, a Tab takes the drop point along, and the
    // target gets a moment for the keys before the next posted character.
    EntryPieces posted = PlanSequence(ParseKeySequence("a{TAB}{END}"), texts, kSendCharacters, false, 4, kUs);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].keys,
              (InputPlan{{E::kPostChar, 'a'}, Down(kVkTab), Up(kVkTab), {E::kNextField, 0}, Pause(4),
                         Pause(kTokenKeySettleMs), {E::kKeyDown, 0x23, 0, true}, {E::kKeyUp, 0x23, 0, true},
                         Pause(4), Pause(kTokenKeySettleMs)}))
        << Describe(posted[0].keys);
    // By the clipboard: texts (with what the tokens stand for) pasted between the keys.
    EntryPieces pasted =
        PlanSequence(ParseKeySequence("{DATE} x{TIME}{UP}{DELAY 20}b"), texts, kSendClipboard, true, 4, kUs);
    ASSERT_EQ(pasted.size(), 3u);
    EXPECT_TRUE(pasted[0].paste && pasted[2].paste && !pasted[1].paste);
    EXPECT_EQ(pasted[0].text + "|" + pasted[2].text, "D xT|b");
    EXPECT_EQ(pasted[1].keys,
              (InputPlan{{E::kKeyDown, 0x26, 0, true}, {E::kKeyUp, 0x26, 0, true}, Pause(4), Pause(20)}));
}

TEST(DeliveryChain, KeySequencesInEachModeAndLiteralEntries) {
    const struct {
        std::vector<std::string> entries;
        int sendMode;
        ListKind kind;
        int field;
        Lines lines;
    } cases[] = {
        {{"a{TAB}b{ENTER}", "c"},
         0,
         kPlainList,
         kEntryField,
         {"300 clip(a)", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Tab -Tab", "1204 clip(b)",
          "1504 +Ctrl +V -V -Ctrl", "1504 read", "1804 +Enter -Enter", "2108 +Enter -Enter", "2408 clip(c)",
          "2708 +Ctrl +V -V -Ctrl", "2708 read", "3008", "3008 back"}},
        {{"a{TAB}b{ENTER}", "c"},
         1,
         kPlainList,
         kEntryField,
         {"300 +A -A +Tab -Tab +B -B +Enter -Enter", "616 +Enter -Enter", "916 +C -C", "1220", "2220 back"}},
        {{"a{TAB}b{ENTER}", "c"},
         2,
         kPlainList,
         kEntryField,
         {"300 a@500:300 +Tab -Tab next", "404 b@600:301 +Enter -Enter", "508", "808 +Enter -Enter",
          "1108 c@600:301", "1408", "2408 back"}},
        // No token: byte for byte, braces and all.
        {{"{foo}{tab}", "c"},
         0,
         kPlainList,
         kEntryField,
         {"300 clip({foo}{tab})", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Enter -Enter", "1200 clip(c)",
          "1500 +Ctrl +V -V -Ctrl", "1500 read", "1800", "1800 back"}},
        // {CLIPBOARD} is what the clipboard held before the delivery's first entry went there.
        {{"x", "{CLIPBOARD}{END}"},
         0,
         kPlainList,
         kEntryField,
         {"300 ask clip(x)", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Enter -Enter", "1200 clip(old)",
          "1500 +Ctrl +V -V -Ctrl", "1500 read", "1800 +End -End", "2104", "3104 back"}},
        // A login list's fields are never key sequences.
        {{"bank"},
         0,
         kLoginList,
         kPasswordField,
         {"300 clip(p{ENTER},keep)", "600 +Ctrl +V -V -Ctrl", "600 read", "900", "900 restore back"}},
        // Send login and password: the login, Tab, the password, Enter, and the clipboard back after.
        {{"bank"},
         0,
         kLoginList,
         kLoginAndPassword,
         {"300 clip({a},keep)", "600 +Ctrl +V -V -Ctrl", "600 read", "900 +Tab -Tab",
          "1204 clip(p{ENTER},keep)",
          "1504 +Ctrl +V -V -Ctrl", "1504 read", "1804 +Enter -Enter", "2108", "3108 restore back"}},
        {{"bank"},
         1,
         kLoginList,
         kLoginAndPassword,
         {"300 u123 +A -A u125 +Tab -Tab +P -P u123 +Shift +E -E -Shift +Shift +N -N -Shift "
          "+Shift +T -T -Shift +Shift +E -E -Shift +Shift +R -R -Shift u125 +Enter -Enter",
          "652", "1652 back"}},
    };
    for (const auto& c : cases) {
        Chain chain(c.entries, {0, 1}, c.sendMode, 1);
        chain.job.count = unsigned(c.entries.size());
        chain.logins = {"{a}"};
        chain.passwords = {"p{ENTER}"};
        chain.job.listKind = c.kind;
        chain.job.field = c.field;
        Recorder sink;
        Lines lines = chain.Run(sink);
        lines.erase(lines.begin()); // the click
        EXPECT_EQ(lines, c.lines) << c.entries[0] << " mode " << c.sendMode;
        EXPECT_TRUE(chain.job.pieces.empty() && chain.job.clipboardAtStart.empty());
    }
}
} // namespace
