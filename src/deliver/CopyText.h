// The text that Copy puts on the clipboard.
#pragma once
#include <string>
#include <vector>

// The entries joined by the separator of the separator mode: CR/LF for 1, one tab for 2.
std::string ClipboardCopyText(const std::vector<std::string>& texts, int separatorMode);
// The clipboard block's size for these UTF-8 entries, in UTF-16 units: their lengths, room for a
// two-unit separator after each, and the closing NUL.
size_t ClipboardBlockUnits(const std::vector<std::string>& texts);
