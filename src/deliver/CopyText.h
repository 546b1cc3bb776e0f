// The text that Copy puts on the clipboard.
#pragma once
#include <string>
#include <vector>

// The entries joined by the separator of the separator mode: CR/LF for 1, one tab for 2.
std::string ClipboardCopyText(const std::vector<std::string>& texts, int separatorMode);
// The clipboard block's size for these entries: their lengths, room for a two-byte separator after
// each, and the closing NUL.
size_t ClipboardBlockSize(const std::vector<std::string>& texts);
