// Putting text on the clipboard, for Copy and for deliveries.
#pragma once
#include <windows.h>

#include <string>

enum class ClipboardResult { Ok, Busy, NoMemory, Refused };

// Puts text on the clipboard as CF_TEXT in a block of blockSize bytes (at least the text and its NUL).
// Another program may hold the clipboard for a moment, so opening is tried a few times.
ClipboardResult PutTextOnClipboard(HWND owner, const std::string& text, size_t blockSize);
