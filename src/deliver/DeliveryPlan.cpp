// Delivery planning: press geometry, the input events of an entry, and the steps of the timer chain.
#include "deliver/DeliveryPlan.h"

#include "common/Wipe.h"

bool Contains(const IntRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int FieldForPress(const IntRect& dragArea, int x, int y, bool loginList) {
    if (!loginList)
        return kEntryField;
    int mid = dragArea.top + (dragArea.bottom - dragArea.top) / 2;
    IntRect upper = {dragArea.left, dragArea.top, dragArea.right, mid};
    return Contains(upper, x, y) ? kLoginField : kPasswordField;
}

Offset PointerShiftForPress(int x, int y, const HandleGrab& grab) {
    if (y < grab.rowBottom)
        return {grab.x - x, grab.y - y};
    return {0, 0};
}

int ArrowCount(const std::string& text) {
    if (text.size() < 2 || text[0] != '|' || text[1] < '0' || text[1] > '9')
        return -1;
    int count = 0;
    for (size_t i = 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        count = count * 10 + (text[i] - '0');
        if (count > kMaxArrowCount)
            return kMaxArrowCount;
    }
    return count;
}

std::string Describe(const InputPlan& plan) {
    static const char* const kNames[] = {"down", "up", "unicode", "char", "pause"};
    std::string out;
    for (const InputEvent& e : plan)
        out += std::string(kNames[e.kind]) + "(" + std::to_string(e.code) + ") ";
    return out;
}

namespace {
void Tap(InputPlan& plan, uint8_t vk) {
    plan.push_back({InputEvent::kKeyDown, vk});
    plan.push_back({InputEvent::kKeyUp, vk});
}

// One character in key-stroke mode: modifiers pressed Shift, Ctrl, Alt and released the other way round.
void PlanKeyStroke(InputPlan& plan, unsigned char c, const KeyScanFn& keyScan) {
    int16_t scan = keyScan(c);
    if (scan == -1) {
        // The layout has no key for it; pressing all modifiers and key 255 would type nothing useful.
        plan.push_back({InputEvent::kUnicode, c});
        return;
    }
    uint8_t shift = uint8_t(uint16_t(scan) >> 8), vk = uint8_t(scan & 0xFF);
    static const struct { uint8_t bit, vk; } kModifiers[] = {{1, kVkShift}, {2, kVkControl}, {4, kVkMenu}};
    for (const auto& m : kModifiers)
        if (shift & m.bit)
            plan.push_back({InputEvent::kKeyDown, m.vk});
    Tap(plan, vk);
    for (int i = 2; i >= 0; --i)
        if (shift & kModifiers[i].bit)
            plan.push_back({InputEvent::kKeyUp, kModifiers[i].vk});
}

// Only the key of VkKeyScanA counts for the separators; a layout without one still has Enter and Tab.
uint8_t KeyOf(unsigned char c, uint8_t fallback, const KeyScanFn& keyScan) {
    int16_t scan = keyScan(c);
    return scan == -1 ? fallback : uint8_t(scan & 0xFF);
}
} // namespace

InputPlan PlanTyping(const std::string& text, int sendMode, bool capsLockOn, const KeyScanFn& keyScan) {
    InputPlan plan;
    // Caps Lock would turn the case of every letter; switch it off for the text and back on after.
    if (capsLockOn)
        Tap(plan, kVkCapital);
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (sendMode == 2) {
            plan.push_back({InputEvent::kPostChar, c});
        } else {
            PlanKeyStroke(plan, c, keyScan);
            plan.push_back({InputEvent::kPause, kKeyStrokeDelayMs});
        }
    }
    if (capsLockOn)
        Tap(plan, kVkCapital);
    return plan;
}

InputPlan PlanArrows(int count) {
    InputPlan plan;
    for (int i = 0; i < count; ++i)
        Tap(plan, kVkDown);
    return plan;
}

InputPlan PlanPaste(const KeyScanFn& keyScan) {
    InputPlan plan;
    plan.push_back({InputEvent::kKeyDown, kVkControl});
    Tap(plan, KeyOf('v', 'V', keyScan));
    plan.push_back({InputEvent::kKeyUp, kVkControl});
    return plan;
}

InputPlan PlanSeparator(int separatorMode, const KeyScanFn& keyScan) {
    InputPlan plan;
    if (separatorMode <= 1)
        Tap(plan, KeyOf('\r', kVkReturn, keyScan));
    else
        Tap(plan, KeyOf('\t', kVkTab, keyScan));
    return plan;
}

void Perform(const InputPlan& plan, const DeliveryJob& job, InputSink& sink) {
    for (const InputEvent& e : plan)
        sink.Play(e, job.dropX, job.dropY);
}

void ClickStep(const DeliveryJob& job, InputSink& sink) {
    unsigned w = 0, h = 0;
    sink.ScreenSize(w, h);
    // The integer division comes first, as the absolute mouse coordinates expect it.
    unsigned dx = (w ? 65535u / w : 0) * unsigned(job.dropX);
    unsigned dy = (h ? 65535u / h : 0) * unsigned(job.dropY);
    sink.Click(dx, dy);
}

namespace {
KeyScanFn ScanOf(InputSink& sink) {
    return [&sink](unsigned char c) { return sink.KeyScan(c); };
}

// Sends one entry's text; false when nothing is left for the after-entry step to paste.
bool SendText(const std::string& text, const DeliveryJob& job, InputSink& sink) {
    if (job.sendMode == 0)
        return sink.PutOnClipboard(text);
    Perform(PlanTyping(text, job.sendMode, sink.CapsLockOn(), ScanOf(sink)), job, sink);
    return true;
}
} // namespace

NextStep SendStep(DeliveryJob& job, const EntrySource& source, InputSink& sink) {
    // An entry that went away while the window was back (the list changed mid-delivery) is skipped.
    std::string text;
    while (job.position < job.count && !source(job.selection[job.position], job.field, text)) {
        if (job.loginList)
            job.position = job.count;
        ++job.position;
    }
    if (job.position >= job.count)
        return {kChainFinish, kFinishDelay};

    int arrows = ArrowCount(text);
    if (arrows >= 0) {
        job.sendMode += 3;
        Perform(PlanArrows(arrows), job, sink);
    } else if (!SendText(text, job, sink)) {
        job.sendMode += 3; // the clipboard holds something else: no paste for this entry
    }
    WipeString(text); // passwords pass through here
    if (job.loginList)
        job.position = job.count;
    ++job.position;
    return {kChainAfterEntry, kAfterEntryDelay};
}

NextStep AfterEntryStep(DeliveryJob& job, InputSink& sink) {
    if (job.sendMode == 0)
        Perform(PlanPaste(ScanOf(sink)), job, sink);
    if (job.sendMode > 2)
        job.sendMode -= 3;
    if (job.position >= job.count)
        return {kChainFinish, kFinishDelay};
    Perform(PlanSeparator(job.separatorMode, ScanOf(sink)), job, sink);
    // Posted characters do not follow the focus, so the next field is found in Z order. Without one, the
    // previous field keeps the drop point rather than whatever lies at the screen's corner.
    if (job.separatorMode > 1 && job.sendMode == 2)
        sink.NextWindowPoint(job.dropX, job.dropY);
    return {kChainSend, kSendDelay};
}
