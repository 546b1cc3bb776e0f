// Delivery planning: press geometry, the input events of an entry, and the steps of the timer chain.
#include "deliver/DeliveryPlan.h"

#include <algorithm>
#include <iterator>

#include "common/Wipe.h"
#include "list/TextEncoding.h"

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

bool MustRestoreClipboard(ListKind kind, int field, bool restoreOption) {
    return restoreOption || kind == kEncryptedList || kind == kProtectedList ||
           (kind == kLoginList && (field == kPasswordField || field == kLoginAndPassword));
}

std::string Describe(const InputPlan& plan) {
    static const char* const kNames[] = {"down", "up", "unicode", "char", "pause", "next"};
    std::string out;
    for (const InputEvent& e : plan) {
        out += std::string(kNames[e.kind]) + "(" + std::to_string(e.code);
        if (e.kind == InputEvent::kKeyDown || e.kind == InputEvent::kKeyUp)
            out += "/" + std::to_string(e.scan) + (e.extended ? "e" : "");
        out += ") ";
    }
    return out;
}

void WipePlan(InputPlan& plan) {
    if (!plan.empty())
        WipeMemory(plan.data(), plan.size() * sizeof(InputEvent));
    plan.clear();
}

bool IsExtendedKey(uint8_t vk) {
    // Break; Page Up, Page Down, End, Home; the arrows; Print Screen, Insert, Delete; the Windows keys and
    // Menu; numeric Divide; Num Lock; right Ctrl and right Alt.
    static const uint8_t kExtended[] = {0x03, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2C,
                                        0x2D, 0x2E, 0x5B, 0x5C, 0x5D, 0x6F, 0x90, 0xA3, 0xA5};
    return std::find(std::begin(kExtended), std::end(kExtended), vk) != std::end(kExtended);
}

namespace {
void Key(InputPlan& plan, InputEvent::Kind kind, uint8_t vk, const KeyLayout& layout) {
    plan.push_back({kind, vk, layout.ScanCode(vk), IsExtendedKey(vk)});
}

void Tap(InputPlan& plan, uint8_t vk, const KeyLayout& layout) {
    Key(plan, InputEvent::kKeyDown, vk, layout);
    Key(plan, InputEvent::kKeyUp, vk, layout);
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// One character in key-stroke mode: modifiers pressed Shift, Ctrl, Alt and released the other way round.
void PlanKeyStroke(InputPlan& plan, char16_t unit, const KeyLayout& layout) {
    int16_t scan = layout.KeyScan(unit);
    uint8_t shift = uint8_t(uint16_t(scan) >> 8), vk = uint8_t(scan & 0xFF);
    // No key; a shift state beyond Shift, Ctrl and Alt (Kana and the like); or a dead key, which would wait
    // and merge with the next character: the character goes in as itself.
    if (scan == -1 || (shift & ~7) || layout.IsDeadKey(vk, shift)) {
        plan.push_back({InputEvent::kUnicode, unit});
        return;
    }
    static const struct { uint8_t bit, vk; } kModifiers[] = {{1, kVkShift}, {2, kVkControl}, {4, kVkMenu}};
    for (const auto& m : kModifiers)
        if (shift & m.bit)
            Key(plan, InputEvent::kKeyDown, m.vk, layout);
    Tap(plan, vk, layout);
    for (int i = 2; i >= 0; --i)
        if (shift & kModifiers[i].bit)
            Key(plan, InputEvent::kKeyUp, kModifiers[i].vk, layout);
}

// Only the key counts for the separators and the paste; a layout without one still has Enter and Tab.
uint8_t KeyOf(char16_t c, uint8_t fallback, const KeyLayout& layout) {
    int16_t scan = layout.KeyScan(c);
    return scan == -1 ? fallback : uint8_t(scan & 0xFF);
}
} // namespace

InputPlan PlanTyping(const std::string& text, SendMethod sendMode, bool capsLockOn, int keyDelay,
                     const KeyLayout& layout) {
    std::u16string units = Utf8ToUtf16(text);
    InputPlan plan;
    // Room for the most a character can take, so the plan never moves and leaves no copy behind.
    plan.reserve(units.size() * 9 + 4);
    // Caps Lock would turn the case of every letter; switch it off for the text and back on after.
    if (capsLockOn)
        Tap(plan, kVkCapital, layout);
    for (size_t i = 0; i < units.size(); ++i) {
        // A character beyond the first 65,536 is two units, sent one after the other.
        bool pair = IsHighSurrogate(units[i]) && i + 1 < units.size();
        if (sendMode == kSendCharacters) {
            plan.push_back({InputEvent::kPostChar, units[i]});
            if (pair)
                plan.push_back({InputEvent::kPostChar, units[++i]});
            continue;
        }
        if (pair) {
            plan.push_back({InputEvent::kUnicode, units[i]});
            plan.push_back({InputEvent::kUnicode, units[++i]});
        } else {
            PlanKeyStroke(plan, units[i], layout);
        }
        plan.push_back({InputEvent::kPause, uint16_t(keyDelay)});
    }
    if (capsLockOn)
        Tap(plan, kVkCapital, layout);
    if (!units.empty())
        WipeMemory(&units[0], units.size() * sizeof(char16_t));
    return plan;
}

InputPlan PlanArrows(int count, const KeyLayout& layout) {
    InputPlan plan;
    for (int i = 0; i < count; ++i)
        Tap(plan, kVkDown, layout);
    return plan;
}

// Terminals take Ctrl+V as a control character, so they paste with Shift+Insert or Ctrl+Shift+V.
InputPlan PlanPaste(const KeyLayout& layout, PasteKeys keys) {
    InputPlan plan;
    uint8_t first = keys == kPasteShiftInsert ? uint8_t(kVkShift) : uint8_t(kVkControl);
    Key(plan, InputEvent::kKeyDown, first, layout);
    if (keys == kPasteCtrlShiftV)
        Key(plan, InputEvent::kKeyDown, kVkShift, layout);
    Tap(plan, keys == kPasteShiftInsert ? uint8_t(kVkInsert) : KeyOf(u'v', 'V', layout), layout);
    if (keys == kPasteCtrlShiftV)
        Key(plan, InputEvent::kKeyUp, kVkShift, layout);
    Key(plan, InputEvent::kKeyUp, first, layout);
    return plan;
}

InputPlan PlanSeparator(EntrySeparator separatorMode, const KeyLayout& layout) {
    InputPlan plan;
    if (separatorMode == kSeparatorTab)
        Tap(plan, KeyOf(u'\t', kVkTab, layout), layout);
    else
        Tap(plan, KeyOf(u'\r', kVkReturn, layout), layout);
    return plan;
}

namespace {
// What a text item stands for; nullptr for the items that are no text.
const std::string* TextOf(const SequenceItem& item, const InsertedTexts& texts) {
    switch (item.kind) {
    case SequenceItem::kText: return &item.text;
    case SequenceItem::kDate: return &texts.date;
    case SequenceItem::kTime: return &texts.time;
    case SequenceItem::kClipboard: return &texts.clipboard;
    default: return nullptr;
    }
}

void PlanTokenKey(InputPlan& plan, const SequenceItem& item, SendMethod sendMode, int keyDelay,
                  const KeyLayout& layout) {
    uint8_t vk = item.vk;
    if (vk == kVkTab || vk == kVkReturn)
        vk = KeyOf(vk == kVkTab ? u'\t' : u'\r', vk, layout);
    for (int i = 0; i < item.count; ++i) {
        Tap(plan, vk, layout);
        if (sendMode == kSendCharacters && item.vk == kVkTab)
            plan.push_back({InputEvent::kNextField, 0});
        plan.push_back({InputEvent::kPause, uint16_t(keyDelay)});
    }
    if (sendMode == kSendCharacters)
        plan.push_back({InputEvent::kPause, kTokenKeySettleMs});
}

// The most events a sequence can become, so that a plan never moves and leaves no copy of a password.
size_t MostEvents(const KeySequence& sequence, const InsertedTexts& texts) {
    size_t most = 0;
    for (const SequenceItem& item : sequence) {
        const std::string* text = TextOf(item, texts);
        most += text ? text->size() * 9 + 4 : size_t(item.count) * 4 + 2;
    }
    return most;
}

// Pieces never move either: the caller gives the vector room for one per item.
InputPlan& KeysPiece(EntryPieces& pieces, size_t room) {
    if (pieces.empty() || pieces.back().paste) {
        pieces.emplace_back();
        pieces.back().keys.reserve(room);
    }
    return pieces.back().keys;
}
} // namespace

EntryPieces PlanSequence(const KeySequence& sequence, const InsertedTexts& texts, SendMethod sendMode,
                         bool capsLockOn, int keyDelay, const KeyLayout& layout) {
    EntryPieces pieces;
    pieces.reserve(sequence.size());
    // Typed, texts (a password) go into the one plan; pasted, the key pieces hold no text.
    size_t room = sendMode == kSendClipboard ? 0 : MostEvents(sequence, texts);
    for (const SequenceItem& item : sequence) {
        if (const std::string* text = TextOf(item, texts)) {
            if (text->empty())
                continue;
            if (sendMode == kSendClipboard) {
                if (pieces.empty() || !pieces.back().paste) {
                    pieces.emplace_back();
                    pieces.back().paste = true;
                }
                pieces.back().text += *text;
                continue;
            }
            InputPlan typed = PlanTyping(*text, sendMode, capsLockOn, keyDelay, layout);
            InputPlan& plan = KeysPiece(pieces, room);
            plan.insert(plan.end(), typed.begin(), typed.end());
            WipePlan(typed);
        } else if (item.kind == SequenceItem::kKeyDelay) {
            keyDelay = item.count;
        } else if (item.kind == SequenceItem::kPause) {
            KeysPiece(pieces, room).push_back({InputEvent::kPause, uint16_t(item.count)});
        } else if (item.kind == SequenceItem::kKey) {
            PlanTokenKey(KeysPiece(pieces, room), item, sendMode, keyDelay, layout);
        }
    }
    return pieces;
}

void WipePieces(EntryPieces& pieces) {
    for (EntryPiece& piece : pieces) {
        WipeString(piece.text);
        WipePlan(piece.keys);
    }
    pieces.clear();
}

bool Perform(const InputPlan& plan, const DeliveryJob& job, InputSink& sink) {
    for (const InputEvent& e : plan)
        if (!sink.Play(e, job.dropX, job.dropY))
            return false;
    return true;
}

namespace {
constexpr NextStep kRefused = {kChainRefused, 0};
} // namespace

NextStep ClickStep(const DeliveryJob& job, InputSink& sink) {
    unsigned w = 0, h = 0;
    sink.ScreenSize(w, h);
    // The integer division comes first, as the absolute mouse coordinates expect it.
    unsigned dx = (w ? 65535u / w : 0) * unsigned(job.dropX);
    unsigned dy = (h ? 65535u / h : 0) * unsigned(job.dropY);
    return sink.Click(dx, dy) ? NextStep{kChainNone, 0} : kRefused;
}

namespace {

// Starts one entry's text: onto the clipboard, or its events planned and the first of them played.
NextStep SendText(const std::string& text, DeliveryJob& job, InputSink& sink) {
    if (job.sendMode == kSendClipboard) {
        job.paste = PasteWatch();
        if (sink.PutOnClipboard(text, MustRestoreClipboard(job.listKind, job.field, job.restoreOption)))
            job.paste.state = PasteWatch::kOnClipboard;
        else
            job.noText = true; // the clipboard holds something else: no paste for this entry
        return {kChainAfterEntry, kAfterEntryDelay};
    }
    WipePlan(job.typing);
    job.typing = PlanTyping(text, job.sendMode, sink.CapsLockOn(), job.keyDelay, sink.Layout());
    job.typed = 0;
    job.resumeAt = 0;
    return TypeStep(job, sink);
}

// The next part of an entry with a key sequence; none left: the entry is done.
NextStep SendPiece(DeliveryJob& job, InputSink& sink) {
    if (job.piece >= job.pieces.size()) {
        job.noText = true;
        return {kChainAfterEntry, kAfterEntryDelay};
    }
    EntryPiece& piece = job.pieces[job.piece++];
    if (piece.paste) {
        job.noText = false;
        return SendText(piece.text, job, sink);
    }
    job.noText = true; // nothing to paste after these keys
    WipePlan(job.typing);
    job.typing = std::move(piece.keys);
    job.typed = 0;
    job.resumeAt = 0;
    return TypeStep(job, sink);
}

void WipeSequence(KeySequence& sequence) {
    for (SequenceItem& item : sequence)
        WipeString(item.text);
}

NextStep SendSequence(KeySequence& sequence, DeliveryJob& job, InputSink& sink) {
    InsertedTexts texts;
    for (const SequenceItem& item : sequence) {
        if (item.kind == SequenceItem::kDate && texts.date.empty())
            texts.date = sink.InsertedText(SequenceItem::kDate);
        else if (item.kind == SequenceItem::kTime && texts.time.empty())
            texts.time = sink.InsertedText(SequenceItem::kTime);
    }
    texts.clipboard = job.clipboardAtStart;
    job.pieces = PlanSequence(sequence, texts, job.sendMode, sink.CapsLockOn(), job.keyDelay, sink.Layout());
    job.piece = 0;
    WipeSequence(sequence);
    WipeString(texts.clipboard);
    return SendPiece(job, sink);
}

// The login, Tab, the password and Enter; the fields themselves are never read as key sequences.
NextStep SendLogin(int index, std::string& login, const EntrySource& source, DeliveryJob& job,
                   InputSink& sink) {
    KeySequence sequence(4);
    sequence[0].text.swap(login);
    sequence[1] = {SequenceItem::kKey, kVkTab, 1, {}};
    sequence[3] = {SequenceItem::kKey, kVkReturn, 1, {}};
    if (!source(index, kPasswordField, sequence[2].text))
        sequence[2].text.clear();
    return SendSequence(sequence, job, sink);
}

// {CLIPBOARD} stands for what the clipboard held before the delivery put anything there.
void ReadClipboardAtStart(DeliveryJob& job, const EntrySource& source, InputSink& sink) {
    WipeString(job.clipboardAtStart);
    if (job.listKind == kLoginList)
        return;
    std::string text;
    for (unsigned i = 0; i < job.count; ++i) {
        if (!source(job.selection[i], job.field, text))
            continue;
        KeySequence sequence = ParseKeySequence(text);
        WipeString(text);
        bool uses = HasTokens(sequence) &&
                    std::any_of(sequence.begin(), sequence.end(), [](const SequenceItem& item) {
                        return item.kind == SequenceItem::kClipboard;
                    });
        WipeSequence(sequence);
        if (uses) {
            job.clipboardAtStart = sink.InsertedText(SequenceItem::kClipboard);
            return;
        }
    }
}
} // namespace

NextStep SendStep(DeliveryJob& job, const EntrySource& source, InputSink& sink) {
    if (job.position == 0)
        ReadClipboardAtStart(job, source, sink);
    WipePieces(job.pieces);
    job.piece = 0;
    // An entry that went away while the window was back (the list changed mid-delivery) is skipped.
    std::string text;
    bool loginList = job.listKind == kLoginList;
    int field = job.field == kLoginAndPassword ? kLoginField : job.field;
    while (job.position < job.count && !source(job.selection[job.position], field, text)) {
        if (loginList)
            job.position = job.count;
        ++job.position;
    }
    if (job.position >= job.count)
        return {kChainFinish, kFinishDelay};
    int index = job.selection[job.position];
    if (loginList)
        job.position = job.count;
    ++job.position;

    NextStep next = kRefused;
    int arrows = ArrowCount(text);
    KeySequence sequence;
    if (sink.TargetOutOfReach(job.dropX, job.dropY)) {
        // Nothing is sent: the system would drop it without a word.
    } else if (job.field == kLoginAndPassword) {
        next = SendLogin(index, text, source, job, sink);
    } else if (arrows >= 0) {
        job.noText = true;
        if (Perform(PlanArrows(arrows, sink.Layout()), job, sink))
            next = {kChainAfterEntry, kAfterEntryDelay};
    } else if (!loginList && HasTokens(sequence = ParseKeySequence(text))) {
        next = SendSequence(sequence, job, sink);
    } else {
        next = SendText(text, job, sink);
    }
    WipeSequence(sequence);
    WipeString(text); // passwords pass through here
    return next;
}

NextStep TypeStep(DeliveryJob& job, InputSink& sink) {
    // A timer may come a little early (it counts in the system's coarse ticks); the pause is kept whole.
    uint64_t now = sink.Now();
    if (job.resumeAt > now)
        sink.Wait(unsigned(job.resumeAt - now));
    uint64_t start = sink.Now();
    while (job.typed < job.typing.size()) {
        const InputEvent& e = job.typing[job.typed++];
        if (e.kind == InputEvent::kNextField) {
            sink.NextWindowPoint(job.dropX, job.dropY);
            continue;
        }
        if (e.kind != InputEvent::kPause) {
            if (!sink.Play(e, job.dropX, job.dropY))
                return kRefused;
            continue;
        }
        if (e.code > kLongestBusyWaitMs || sink.Now() - start >= kTypingChunkMs) {
            job.resumeAt = sink.Now() + e.code;
            return {kChainType, e.code};
        }
        sink.Wait(e.code);
    }
    WipePlan(job.typing);
    job.typed = 0;
    return {kChainAfterEntry, kAfterEntryDelay};
}

namespace {
// The separator and the next entry, or the finish after the last.
NextStep NextEntryStep(DeliveryJob& job, InputSink& sink, unsigned finishDelay) {
    if (job.piece < job.pieces.size())
        return SendPiece(job, sink);
    WipePieces(job.pieces);
    job.piece = 0;
    job.noText = false;
    if (job.position >= job.count)
        return {kChainFinish, finishDelay};
    if (!Perform(PlanSeparator(job.separatorMode, sink.Layout()), job, sink))
        return kRefused;
    // Posted characters do not follow the focus, so the next field is found in Z order. Without one, the
    // previous field keeps the drop point rather than whatever lies at the screen's corner.
    if (job.separatorMode == kSeparatorTab && job.sendMode == kSendCharacters)
        sink.NextWindowPoint(job.dropX, job.dropY);
    return {kChainSend, kSendDelay};
}
} // namespace

NextStep AfterEntryStep(DeliveryJob& job, InputSink& sink) {
    if (job.sendMode != kSendClipboard || job.noText)
        return NextEntryStep(job, sink, kFinishDelay);
    if (!Perform(PlanPaste(sink.Layout(), job.pasteKeys), job, sink))
        return kRefused;
    job.paste.state = PasteWatch::kPasted;
    job.paste.pastedAt = sink.Now();
    job.paste.targetProcess = sink.TargetProcess();
    return ClipboardWaitStep(job, sink);
}

// The clipboard changes (the next entry, or the old content back) only once the target has its text.
NextStep ClipboardWaitStep(DeliveryJob& job, InputSink& sink) {
    PasteVerdict verdict = JudgePaste(job.paste, sink.Now());
    if (verdict.wait)
        return {kChainClipboardWait, verdict.wait};
    job.paste.state = PasteWatch::kIdle;
    job.clipboardUnread = job.clipboardUnread || verdict.unread;
    return NextEntryStep(job, sink, 0);
}

NextStep ClipboardReadStep(DeliveryJob& job, uint32_t reader, uint64_t now) {
    NoteClipboardRead(job.paste, reader, now);
    if (job.paste.state != PasteWatch::kPasted)
        return {kChainNone, 0};
    return {kChainClipboardWait, std::max(JudgePaste(job.paste, now).wait, 1u)};
}

void NoteClipboardRead(PasteWatch& watch, uint32_t reader, uint64_t now) {
    if (watch.state == PasteWatch::kIdle || watch.readBy != PasteWatch::kNobody)
        return;
    bool target = watch.state == PasteWatch::kPasted && reader && reader == watch.targetProcess;
    watch.readBy = target ? PasteWatch::kTarget : PasteWatch::kSomeoneElse;
    watch.readAt = now;
}

PasteVerdict JudgePaste(const PasteWatch& watch, uint64_t now) {
    uint64_t until = watch.pastedAt + kClipboardReadTimeoutMs;
    if (watch.readBy == PasteWatch::kTarget)
        until = watch.readAt + kClipboardSettleMs;
    else if (watch.readBy == PasteWatch::kSomeoneElse)
        until = std::max(watch.pastedAt + kUnseenReadWaitMs, watch.readAt + kClipboardSettleMs);
    if (now < until)
        return {unsigned(until - now), false};
    return {0, watch.readBy == PasteWatch::kNobody};
}

void FinishStep(DeliveryJob& job, InputSink& sink) {
    WipePieces(job.pieces);
    job.piece = 0;
    WipeString(job.clipboardAtStart);
    WipePlan(job.typing);
    job.typed = 0;
    job.noText = false; // a refused arrow entry
    sink.RestoreClipboard();
}
