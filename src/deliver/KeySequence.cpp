// Parsing and describing the key sequences inside entries.
#include "deliver/KeySequence.h"

#include <cctype>

#include "deliver/DeliveryPlan.h"

namespace {
const struct {
    const char* name;
    uint8_t vk;
    const char* word; // for the description
} kKeys[] = {
    {"TAB", 0x09, "Tab"},       {"ENTER", 0x0D, "Enter"},
    {"UP", 0x26, "Up"},         {"DOWN", 0x28, "Down"},
    {"LEFT", 0x25, "Left"},     {"RIGHT", 0x27, "Right"},
    {"HOME", 0x24, "Home"},     {"END", 0x23, "End"},
    {"ESC", 0x1B, "Esc"},       {"BACKSPACE", 0x08, "Backspace"},
    {"DELETE", 0x2E, "Delete"}, {"SPACE", 0x20, "Space"},
};

// A decimal number of at most five digits, no sign, no blanks, no leading zero; -1 otherwise.
int Number(const std::string& digits) {
    if (digits.empty() || digits.size() > 5 || (digits[0] == '0' && digits.size() > 1))
        return -1;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool StartsWith(const std::string& s, const char* prefix, std::string& rest) {
    std::string p(prefix);
    if (s.compare(0, p.size(), p) != 0)
        return false;
    rest = s.substr(p.size());
    return true;
}

// The token between the braces, or false when the name is none of ours (text then).
bool ReadToken(const std::string& name, SequenceItem& item) {
    std::string rest;
    if (StartsWith(name, "DELAY=", rest)) {
        item = {SequenceItem::kKeyDelay, 0, Number(rest), {}};
        return item.count >= 0 && item.count <= kMaxSequenceKeyDelayMs;
    }
    if (StartsWith(name, "DELAY ", rest)) {
        item = {SequenceItem::kPause, 0, Number(rest), {}};
        return item.count >= 0 && item.count <= kMaxSequencePauseMs;
    }
    const struct {
        const char* name;
        SequenceItem::Kind kind;
    } kTexts[] = {{"DATE", SequenceItem::kDate},
                  {"TIME", SequenceItem::kTime},
                  {"CLIPBOARD", SequenceItem::kClipboard}};
    for (const auto& t : kTexts)
        if (name == t.name) {
            item = {t.kind, 0, 0, {}};
            return true;
        }
    for (const auto& k : kKeys) {
        if (name == k.name) {
            item = {SequenceItem::kKey, k.vk, 1, {}};
            return true;
        }
        if (StartsWith(name, k.name, rest) && rest.size() > 1 && rest[0] == ' ') {
            item = {SequenceItem::kKey, k.vk, Number(rest.substr(1)), {}};
            return item.count >= 1 && item.count <= kMaxKeyRepeat;
        }
    }
    return false;
}

void AddText(KeySequence& sequence, const std::string& text) {
    if (text.empty())
        return;
    if (sequence.empty() || sequence.back().kind != SequenceItem::kText)
        sequence.push_back({SequenceItem::kText, 0, 0, {}});
    sequence.back().text += text;
}
} // namespace

KeySequence ParseKeySequence(const std::string& entry) {
    KeySequence sequence;
    bool tokens = false;
    size_t i = 0;
    while (i < entry.size()) {
        size_t open = entry.find('{', i);
        AddText(sequence, entry.substr(i, open == std::string::npos ? std::string::npos : open - i));
        if (open == std::string::npos)
            break;
        if (entry.compare(open, 3, "{{}") == 0 || entry.compare(open, 3, "{}}") == 0) {
            AddText(sequence, std::string(1, entry[open + 1]));
            i = open + 3;
            continue;
        }
        size_t close = entry.find('}', open + 1);
        SequenceItem item;
        if (close != std::string::npos && ReadToken(entry.substr(open + 1, close - open - 1), item)) {
            sequence.push_back(item);
            tokens = true;
            i = close + 1;
        } else {
            AddText(sequence, "{");
            i = open + 1;
        }
    }
    if (!tokens)
        return {{SequenceItem::kText, 0, 0, entry}};
    return sequence;
}

bool HasTokens(const KeySequence& sequence) {
    return sequence.size() != 1 || sequence[0].kind != SequenceItem::kText;
}

namespace {
std::string Times(const char* word, int count) {
    return count == 1 ? word : std::string(word) + " " + std::to_string(count) + " times";
}

std::string Words(const SequenceItem& item) {
    switch (item.kind) {
    case SequenceItem::kText: return "text";
    case SequenceItem::kPause: return "pause " + std::to_string(item.count) + " ms";
    case SequenceItem::kKeyDelay: return "typing delay " + std::to_string(item.count) + " ms";
    case SequenceItem::kDate: return "date";
    case SequenceItem::kTime: return "time";
    case SequenceItem::kClipboard: return "clipboard text";
    case SequenceItem::kKey: break;
    }
    for (const auto& k : kKeys)
        if (k.vk == item.vk)
            return Times(k.word, item.count);
    return "key";
}
} // namespace

std::string DescribeEntry(const std::string& entry) {
    int arrows = ArrowCount(entry);
    if (arrows == 0)
        return "Nothing is typed";
    if (arrows > 0)
        return Times("Down", arrows);
    KeySequence sequence = ParseKeySequence(entry);
    if (!HasTokens(sequence))
        return "Typed as written";
    std::string out;
    for (const SequenceItem& item : sequence)
        out += (out.empty() ? "" : ", ") + Words(item);
    out[0] = char(toupper(static_cast<unsigned char>(out[0])));
    return out;
}
