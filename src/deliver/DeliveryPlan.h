// Delivery planning without windows: where a press lands, which input events an entry becomes, and the
// steps of the timer chain that types dropped entries into another program. The platform's input calls sit
// behind InputSink and the target's keyboard layout behind KeyLayout, so the same steps run against the
// real system and against a recorder in tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Geometry.h"
#include "common/ListKind.h"
#include "deliver/KeySequence.h"
#include "settings/ProgramRules.h"

constexpr unsigned kMaxSelection = 128;
// A form needs a handful of Down presses; a typo such as "|99999" must not hold the window for minutes.
constexpr int kMaxArrowCount = 500;
// The pause after each typed character unless the settings say otherwise.
constexpr int kKeyStrokeDelayMs = 4;
// Pauses up to this long are waited out in place (a timer cannot be shorter); longer ones on a timer, so
// the message loop runs meanwhile.
constexpr unsigned kLongestBusyWaitMs = 10;
// Typing in place gives the message loop a turn at least this often.
constexpr unsigned kTypingChunkMs = 200;

// Delays of the chain, in milliseconds.
constexpr unsigned kClickDelay = 100, kSendDelay = 300, kAfterEntryDelay = 300, kFinishDelay = 1000;
// The delivery's timer ids on the main window; the window's own timers use other numbers.
enum DeliveryTimer : unsigned {
    kChainNone = 0,
    kChainSend = 3,
    kChainAfterEntry = 4,
    kChainFinish = 5,
    kChainClick = 6,
    kChainType = 7,    // the rest of an entry's key strokes, after a pause
    kChainRefused = 8, // no timer: the target does not take our input, so the delivery ends at once
    kChainClipboardWait = 9, // a pasted entry stays on the clipboard until the target has read it
};

// A pasted entry stays on the clipboard this long after the target's read (it may still hold the clipboard
// open); this long after the paste keys when another program read it first, so that the target's own read
// cannot be seen; and at most this long when nobody reads it.
constexpr unsigned kClipboardSettleMs = 300, kUnseenReadWaitMs = 2000, kClipboardReadTimeoutMs = 10000;

// One clipboard entry, from the moment it is on the clipboard until the clipboard may change again.
struct PasteWatch {
    enum State : uint8_t { kIdle, kOnClipboard, kPasted };
    enum Reader : uint8_t { kNobody, kTarget, kSomeoneElse };
    State state = kIdle;
    Reader readBy = kNobody;
    uint32_t targetProcess = 0; // the process the paste keys went to
    uint64_t pastedAt = 0, readAt = 0;
};
// The first read of the entry's text: by process reader (0 when unknown) at now. Only a read by the
// target's process after the paste keys is the target's; a text that left the clipboard unread counts as
// read by someone else.
void NoteClipboardRead(PasteWatch& watch, uint32_t reader, uint64_t now);

struct PasteVerdict {
    unsigned wait; // ms still to wait; 0: the clipboard may change now
    bool unread;   // nobody read the text in time: the user should check the target
};
PasteVerdict JudgePaste(const PasteWatch& watch, uint64_t now);

// How entries reach the target, and what goes between two of them; the values are those of the settings
// "clip" and "cr".
enum SendMethod : int { kSendClipboard = 0, kSendKeyStrokes = 1, kSendCharacters = 2 };
enum EntrySeparator : int { kSeparatorEnter = 1, kSeparatorTab = 2 };

// Virtual-key codes the plans use (the platform's values).
enum : uint8_t {
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkCapital = 0x14,
    kVkDown = 0x28,
    kVkInsert = 0x2D
};

// kLoginAndPassword: the login, Tab, the password and Enter, from Send login and password.
enum FieldSelector { kEntryField = 0, kLoginField = 1, kPasswordField = 2, kLoginAndPassword = 3 };
// Which text of an entry a press in the drag area delivers: in a login list the upper half gives the login,
// the lower half (from the middle line on) the password.
int FieldForPress(const IntRect& dragArea, int x, int y, bool loginList);

struct Offset {
    int dx, dy;
};
// A press on the handle row moves the pointer to the grab point; a press on the strip leaves it.
Offset PointerShiftForPress(int x, int y, const HandleGrab& grab = HandleGrab());

// -1 for ordinary text; for "|" followed by a digit, the number the leading digits form, bounded.
int ArrowCount(const std::string& text);

// Secrets leave the clipboard after the delivery: a password, and every entry of an encrypted list. Other
// entries stay there unless the user asked for the clipboard back ("restoreclip").
bool MustRestoreClipboard(ListKind kind, int field, bool restoreOption);

// One synthesised input event.
struct InputEvent {
    enum Kind : uint8_t {
        kKeyDown,   // code: virtual key; scan and extended as the target's layout has the key
        kKeyUp,     // likewise
        kUnicode,   // code: a UTF-16 unit typed as itself (no key on the layout, or a dead key)
        kPostChar,  // code: a UTF-16 unit posted as WM_CHAR to the window under the drop point
        kPause,     // code: milliseconds
        kNextField, // posted characters follow a Tab of a key sequence to the next window in Z order
    };
    Kind kind;
    uint16_t code;
    uint16_t scan = 0;
    bool extended = false;
    bool operator==(const InputEvent& o) const {
        return kind == o.kind && code == o.code && scan == o.scan && extended == o.extended;
    }
};
using InputPlan = std::vector<InputEvent>;
std::string Describe(const InputPlan& plan); // readable form for test failures
// Overwrites the events (they may spell a password) and empties the plan.
void WipePlan(InputPlan& plan);

// Keys whose scan code comes with the 0xE0 prefix: the arrows, the navigation block, the right-hand
// modifiers and a few more.
bool IsExtendedKey(uint8_t vk);

// The target's keyboard layout, as far as typing needs it.
class KeyLayout {
  public:
    // VkKeyScanExW: low byte the key, high byte the shift state (1 Shift, 2 Ctrl, 4 Alt); -1 when none.
    virtual int16_t KeyScan(char16_t unit) const = 0;
    // The key's scan code (MapVirtualKeyExW with MAPVK_VK_TO_VSC).
    virtual uint16_t ScanCode(uint8_t vk) const = 0;
    // True when the key, with this shift state, is a dead key that waits to combine with the next one.
    virtual bool IsDeadKey(uint8_t vk, uint8_t shiftState) const = 0;

  protected:
    ~KeyLayout() = default;
};

// The events that type UTF-8 text in key-stroke mode, each character followed by a pause of keyDelay
// ms, or post it in character mode, with Caps Lock tapped off before and on again after when it is on.
InputPlan PlanTyping(const std::string& text, SendMethod sendMode, bool capsLockOn, int keyDelay,
                     const KeyLayout& layout);
InputPlan PlanArrows(int count, const KeyLayout& layout);
InputPlan PlanPaste(const KeyLayout& layout, PasteKeys keys = kPasteCtrlV);
InputPlan PlanSeparator(EntrySeparator separatorMode, const KeyLayout& layout);

// The texts that {DATE}, {TIME} and {CLIPBOARD} stand for.
struct InsertedTexts {
    std::string date, time, clipboard;
};
// One part of an entry with key-sequence tokens: a text pasted from the clipboard, or events played.
struct EntryPiece {
    bool paste = false;
    std::string text;
    InputPlan keys;
};
using EntryPieces = std::vector<EntryPiece>;
// The parts of a key sequence. By the clipboard, texts are pasted one by one and the keys between them
// played; typed, the whole entry is one plan. Token keys are taps with the layout's scan codes, each
// followed by the typing delay; in character mode they are real key strokes too (as the separator is),
// and a pause after them lets the target handle them before the posted characters overtake them.
EntryPieces PlanSequence(const KeySequence& sequence, const InsertedTexts& texts, SendMethod sendMode,
                         bool capsLockOn, int keyDelay, const KeyLayout& layout);
void WipePieces(EntryPieces& pieces);
// Keys typed in character mode are handled only after the characters posted before them arrived.
constexpr uint16_t kTokenKeySettleMs = 100;

// The platform's input, the clipboard, a clock and the few queries the steps need.
class InputSink {
  public:
    virtual ~InputSink() = default;
    // False when the system refused the input.
    virtual bool Play(const InputEvent& event, long dropX, long dropY) = 0;
    // A left click where the pointer is; dx, dy are the absolute coordinates (0..65535) of the drop point.
    // False when the system refused it.
    virtual bool Click(unsigned dx, unsigned dy) = 0;
    // False when the clipboard could not be taken: nothing must be pasted then. With keepOriginal, what the
    // clipboard held before the delivery is kept aside first, for RestoreClipboard.
    virtual bool PutOnClipboard(const std::string& text, bool keepOriginal) = 0;
    // Gives back what was kept aside, unless another program has filled the clipboard since.
    virtual void RestoreClipboard() = 0;
    // The process of the window that keys go to; 0 when there is none.
    virtual uint32_t TargetProcess() = 0;
    virtual const KeyLayout& Layout() = 0;
    virtual bool CapsLockOn() = 0;
    virtual void ScreenSize(unsigned& width, unsigned& height) = 0;
    // Moves the drop point to client (1, 1) of the window after the one under it; false when there is none.
    virtual bool NextWindowPoint(long& x, long& y) = 0;
    // True when the window that would take the input runs with higher rights than we do: the system would
    // drop everything we send it.
    virtual bool TargetOutOfReach(long dropX, long dropY) = 0;
    // Milliseconds on a steady clock, and a wait that holds the thread.
    virtual uint64_t Now() = 0;
    virtual void Wait(unsigned ms) = 0;
    // The local date or time in the user's short form, or the clipboard's text (kDate, kTime, kClipboard).
    virtual std::string InsertedText(SequenceItem::Kind kind) = 0;
};

// What a drop hands over, and what the steps advance.
struct DeliveryJob {
    unsigned count = 0;
    const int* selection = nullptr;
    unsigned position = 0;
    long dropX = 0, dropY = 0;
    int field = kEntryField;
    SendMethod sendMode = kSendClipboard;
    EntrySeparator separatorMode = kSeparatorEnter;
    bool noText = false; // the current entry sent no text (arrow keys, or the clipboard was busy): no paste
    int keyDelay = kKeyStrokeDelayMs;
    PasteKeys pasteKeys = kPasteCtrlV;
    ListKind listKind = kPlainList;
    bool restoreOption = false;
    InputPlan typing;             // the current entry's events
    size_t typed = 0;             // how many of them have been played
    uint64_t resumeAt = 0;        // when the pause that a type timer waits out ends
    PasteWatch paste;             // the entry on the clipboard
    bool clipboardUnread = false; // an entry was left to the target without its read being seen
    EntryPieces pieces;           // the parts of the current entry's key sequence
    size_t piece = 0;             // the next of them to send
    std::string clipboardAtStart; // for {CLIPBOARD}: read before the delivery's first entry
};

// The text of list entry index in the given field; false when the index names no entry.
using EntrySource = std::function<bool(int index, int field, std::string& text)>;

// False when the system refused an event; the rest is not played.
bool Perform(const InputPlan& plan, const DeliveryJob& job, InputSink& sink);

// The steps; each returns the timer to arm next and its delay.
struct NextStep {
    unsigned timer;
    unsigned delay;
};
// Nothing more to arm after the click (the send timer runs already), or refused.
NextStep ClickStep(const DeliveryJob& job, InputSink& sink);
NextStep SendStep(DeliveryJob& job, const EntrySource& source, InputSink& sink);
// Plays the current entry's events from where the last step stopped; a long pause, or a chunk that has
// taken kTypingChunkMs, ends the step with a type timer for the rest.
NextStep TypeStep(DeliveryJob& job, InputSink& sink);
// Pastes a clipboard entry and waits for the target's read; then the separator, or the finish.
NextStep AfterEntryStep(DeliveryJob& job, InputSink& sink);
NextStep ClipboardWaitStep(DeliveryJob& job, InputSink& sink);
// A read of the clipboard entry by process reader at now; the wait step's new timer when a paste waits.
NextStep ClipboardReadStep(DeliveryJob& job, uint32_t reader, uint64_t now);
// The end of a delivery, finished or refused: events not played are wiped and the clipboard given back.
void FinishStep(DeliveryJob& job, InputSink& sink);
