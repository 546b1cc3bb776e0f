// Putting text on the clipboard.
#include "deliver/Clipboard.h"

#include <cstring>

namespace {
// Another program may hold the clipboard for a moment; wait a little rather than give up at once.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(20);
    }
    return false;
}

HGLOBAL BlockWithText(const std::string& text, size_t blockSize) {
    if (blockSize < text.size() + 1)
        blockSize = text.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
    char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!bytes) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    return block;
}
} // namespace

ClipboardResult PutTextOnClipboard(HWND owner, const std::string& text, size_t blockSize) {
    HGLOBAL block = BlockWithText(text, blockSize);
    if (!block)
        return ClipboardResult::NoMemory;
    if (!OpenClipboardSoon(owner)) {
        GlobalFree(block);
        return ClipboardResult::Busy;
    }
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (taken)
        return ClipboardResult::Ok;
    GlobalFree(block); // still ours when the clipboard refused it
    return ClipboardResult::Refused;
}
