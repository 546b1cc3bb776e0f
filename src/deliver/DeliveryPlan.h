// Delivery planning without windows: where a press lands, which input events an entry becomes, and the
// steps of the timer chain that types dropped entries into another program. The platform's input calls sit
// behind InputSink, so the same steps run against the real system and against a recorder in tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr unsigned kMaxSelection = 128;
// A form needs a handful of Down presses; a typo such as "|99999" must not hold the window for minutes.
constexpr int kMaxArrowCount = 500;
constexpr int kKeyStrokeDelayMs = 4;

// Delays of the chain, in milliseconds.
constexpr unsigned kClickDelay = 100, kSendDelay = 300, kAfterEntryDelay = 300, kFinishDelay = 1000;
// The delivery's timer ids on the main window; the window's own timers use other numbers.
enum DeliveryTimer : unsigned {
    kChainNone = 0,
    kChainSend = 3,
    kChainAfterEntry = 4,
    kChainFinish = 5,
    kChainClick = 6
};

// Virtual-key codes the plans use (the platform's values).
enum : uint8_t {
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkCapital = 0x14,
    kVkDown = 0x28
};

struct IntRect {
    int left, top, right, bottom;
};
// Left and top inclusive, right and bottom exclusive.
bool Contains(const IntRect& r, int x, int y);

enum FieldSelector { kEntryField = 0, kLoginField = 1, kPasswordField = 2 };
// Which text of an entry a press in the drag area delivers: in a login list the upper half gives the login,
// the lower half (from the middle line on) the password.
int FieldForPress(const IntRect& dragArea, int x, int y, bool loginList);

struct Offset {
    int dx, dy;
};
// The handle's row (client y below rowBottom) and the client point a press there moves the pointer to, where
// the drag cursor's picture covers the handle; these are the values at 96 DPI.
struct HandleGrab {
    int rowBottom = 16;
    int x = 17, y = 7;
};
// A press on the handle row moves the pointer to the grab point; a press on the strip leaves it.
Offset PointerShiftForPress(int x, int y, const HandleGrab& grab = HandleGrab());

// -1 for ordinary text; for "|" followed by a digit, the number the leading digits form, bounded.
int ArrowCount(const std::string& text);

// One synthesised input event.
struct InputEvent {
    enum Kind : uint8_t {
        kKeyDown,  // code: virtual key
        kKeyUp,    // code: virtual key
        kUnicode,  // code: an ANSI character the layout has no key for, typed as that character
        kPostChar, // code: a character posted as WM_CHAR to the window under the drop point
        kPause,    // code: milliseconds of busy waiting
    };
    Kind kind;
    uint8_t code;
    bool operator==(const InputEvent& o) const { return kind == o.kind && code == o.code; }
};
using InputPlan = std::vector<InputEvent>;
std::string Describe(const InputPlan& plan); // readable form for test failures

// VkKeyScanA: low byte the key, high byte the shift state (1 Shift, 2 Ctrl, 4 Alt), -1 when none.
using KeyScanFn = std::function<int16_t(unsigned char)>;

// The events that type text in key-stroke mode (1) or post it in character mode (2), with Caps Lock tapped
// off before and on again after when it is on.
InputPlan PlanTyping(const std::string& text, int sendMode, bool capsLockOn, const KeyScanFn& keyScan);
InputPlan PlanArrows(int count);
InputPlan PlanPaste(const KeyScanFn& keyScan);
InputPlan PlanSeparator(int separatorMode, const KeyScanFn& keyScan);

// The platform's input, the clipboard and the few queries the steps need.
class InputSink {
  public:
    virtual ~InputSink() = default;
    virtual void Play(const InputEvent& event, long dropX, long dropY) = 0;
    // A left click where the pointer is; dx, dy are the absolute coordinates (0..65535) of the drop point.
    virtual void Click(unsigned dx, unsigned dy) = 0;
    // False when the clipboard could not be taken: nothing must be pasted then.
    virtual bool PutOnClipboard(const std::string& text) = 0;
    virtual int16_t KeyScan(unsigned char c) = 0;
    virtual bool CapsLockOn() = 0;
    virtual void ScreenSize(unsigned& width, unsigned& height) = 0;
    // Moves the drop point to client (1, 1) of the window after the one under it; false when there is none.
    virtual bool NextWindowPoint(long& x, long& y) = 0;
};

// What a drop hands over, and what the steps advance.
struct DeliveryJob {
    unsigned count = 0;
    const int* selection = nullptr;
    unsigned position = 0;
    long dropX = 0, dropY = 0;
    int field = kEntryField;
    int sendMode = 0; // raised by 3 while the current entry sent no text
    int separatorMode = 1;
    bool loginList = false;
};

// The text of list entry index in the given field; false when the index names no entry.
using EntrySource = std::function<bool(int index, int field, std::string& text)>;

void Perform(const InputPlan& plan, const DeliveryJob& job, InputSink& sink);

// The steps; each returns the timer to arm next and its delay.
struct NextStep {
    unsigned timer;
    unsigned delay;
};
void ClickStep(const DeliveryJob& job, InputSink& sink);
NextStep SendStep(DeliveryJob& job, const EntrySource& source, InputSink& sink);
NextStep AfterEntryStep(DeliveryJob& job, InputSink& sink);
