// Key sequences inside an entry: "{TAB}", "{ENTER 3}", "{DELAY 500}" and the like between pieces of text.
// An entry without a recognised token stays one text, byte for byte, whatever braces it holds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Limits of the numbers a token may carry; beyond them the token is not one, and stays text.
constexpr int kMaxKeyRepeat = 500;           // {TAB 3}
constexpr int kMaxSequencePauseMs = 10000;   // {DELAY n}
constexpr int kMaxSequenceKeyDelayMs = 1000; // {DELAY=n}, as the typing delay setting

struct SequenceItem {
    enum Kind : uint8_t {
        kText,      // text: typed by the send mode
        kKey,       // vk pressed count times
        kPause,     // count ms
        kKeyDelay,  // count ms after each key from here to the entry's end
        kDate,      // the local date, short form
        kTime,      // the local time, without seconds
        kClipboard, // the clipboard's text when the delivery started
    };
    Kind kind = kText;
    uint8_t vk = 0;
    int count = 0;
    std::string text;
    bool operator==(const SequenceItem& o) const {
        return kind == o.kind && vk == o.vk && count == o.count && text == o.text;
    }
};
using KeySequence = std::vector<SequenceItem>;

// The entry's items; one text item holding the whole entry when there is no recognised token. The escapes
// {{} and {}} stand for a brace only beside a recognised token.
KeySequence ParseKeySequence(const std::string& entry);
// True when the entry is more than one plain text.
bool HasTokens(const KeySequence& sequence);
// How an entry will be sent, in a few words: "Text, Tab, text, Enter", or "Typed as written".
std::string DescribeEntry(const std::string& entry);
