// Putting text on the clipboard, and keeping its earlier content aside for a delivery.
#include "deliver/Clipboard.h"

#include <cstring>

#include "common/Wipe.h"

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

// For blocks that never reached the clipboard: they may hold a password.
void WipeAndFree(HGLOBAL block) {
    if (!block)
        return;
    if (void* bytes = GlobalLock(block)) {
        WipeMemory(bytes, GlobalSize(block));
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

// The text converted straight into its block, so no other copy of it is left behind.
HGLOBAL UnicodeBlock(const std::string& text, size_t minUnits) {
    int length = int(text.size());
    int units = length ? MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0) : 0;
    size_t size = (size_t(units) + 1 > minUnits ? size_t(units) + 1 : minUnits) * sizeof(WCHAR);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    WCHAR* wide = block ? static_cast<WCHAR*>(GlobalLock(block)) : nullptr;
    if (!wide) {
        WipeAndFree(block);
        return nullptr;
    }
    if (units)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide, units);
    GlobalUnlock(block);
    return block;
}

HGLOBAL DwordBlock(DWORD value) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof value);
    void* bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        WipeAndFree(block);
        return nullptr;
    }
    memcpy(bytes, &value, sizeof value);
    GlobalUnlock(block);
    return block;
}

// The formats by which Windows keeps a text out of clipboard history, cloud sync and monitoring programs:
// the first by being there at all, the other two with the value 0.
const char* const kPrivateFormats[] = {"ExcludeClipboardContentFromMonitorProcessing",
                                       "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"};

struct ClipboardBlocks {
    HGLOBAL text = nullptr;
    HGLOBAL marks[3] = {};
    size_t markCount = 0;
};

bool MakeBlocks(ClipboardBlocks& blocks, const std::string& text, size_t minUnits, bool privateText) {
    blocks.text = UnicodeBlock(text, minUnits);
    blocks.markCount = privateText ? 3 : 0;
    bool made = blocks.text != nullptr;
    for (size_t i = 0; i < blocks.markCount; ++i) {
        blocks.marks[i] = DwordBlock(0);
        made = made && blocks.marks[i];
    }
    return made;
}

void FreeBlocks(ClipboardBlocks& blocks) {
    WipeAndFree(blocks.text);
    for (size_t i = 0; i < blocks.markCount; ++i)
        WipeAndFree(blocks.marks[i]);
}

// Memory blocks can be copied; bitmaps, palettes, metafiles and private handles are the owner's own.
bool IsCopyableFormat(UINT format) {
    switch (format) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE: return false;
    default: return format < CF_PRIVATEFIRST || format > CF_GDIOBJLAST;
    }
}

HGLOBAL CopyOf(HANDLE data) {
    SIZE_T size = data ? GlobalSize(data) : 0;
    const void* from = size ? GlobalLock(data) : nullptr;
    if (!from)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (to) {
        memcpy(to, from, size);
        GlobalUnlock(copy);
    } else if (copy) {
        GlobalFree(copy);
        copy = nullptr;
    }
    GlobalUnlock(data);
    return copy;
}
} // namespace

ClipboardResult PutTextOnClipboard(HWND owner, const std::string& text, size_t minUnits, bool privateText) {
    ClipboardBlocks blocks;
    if (!MakeBlocks(blocks, text, minUnits, privateText)) {
        FreeBlocks(blocks);
        return ClipboardResult::NoMemory;
    }
    if (!OpenClipboardSoon(owner)) {
        FreeBlocks(blocks);
        return ClipboardResult::Busy;
    }
    EmptyClipboard();
    // The marks first, so that nothing ever sees the text without them.
    for (size_t i = 0; i < blocks.markCount; ++i) {
        if (SetClipboardData(RegisterClipboardFormatA(kPrivateFormats[i]), blocks.marks[i]))
            blocks.marks[i] = nullptr; // the clipboard's now
    }
    if (SetClipboardData(CF_UNICODETEXT, blocks.text))
        blocks.text = nullptr;
    bool taken = blocks.text == nullptr;
    if (!taken)
        EmptyClipboard(); // no marks without their text
    CloseClipboard();
    FreeBlocks(blocks);
    return taken ? ClipboardResult::Ok : ClipboardResult::Refused;
}

ClipboardKeeper::~ClipboardKeeper() {
    // Without our window the content cannot go back (a clipboard opened without an owner takes no data);
    // emptying it at least takes our text away.
    if (m_keeping && GetClipboardSequenceNumber() == m_ourSequence && OpenClipboardSoon(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    DropSaved();
}

bool ClipboardKeeper::Put(HWND owner, const std::string& text, bool keepOriginal) {
    if (keepOriginal && !m_keeping)
        Keep(owner);
    if (PutTextOnClipboard(owner, text, 0, true) != ClipboardResult::Ok)
        return false;
    m_ourSequence = GetClipboardSequenceNumber();
    return true;
}

// Copies every format that can be copied. A clipboard that cannot be read counts as empty: a password
// must go from it after the delivery all the same.
void ClipboardKeeper::Keep(HWND owner) {
    DropSaved();
    m_keeping = true;
    if (!OpenClipboardSoon(owner))
        return;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        if (!IsCopyableFormat(format))
            continue;
        if (HGLOBAL copy = CopyOf(GetClipboardData(format)))
            m_saved.push_back({format, copy});
    }
    CloseClipboard();
}

void ClipboardKeeper::Restore(HWND owner) {
    if (!m_keeping)
        return;
    m_keeping = false;
    if (GetClipboardSequenceNumber() != m_ourSequence || !OpenClipboardSoon(owner)) {
        DropSaved();
        return;
    }
    EmptyClipboard();
    for (Saved& saved : m_saved) {
        if (SetClipboardData(saved.format, saved.block))
            saved.block = nullptr; // the clipboard's now
    }
    CloseClipboard();
    DropSaved();
}

void ClipboardKeeper::DropSaved() {
    for (Saved& saved : m_saved)
        WipeAndFree(saved.block);
    m_saved.clear();
}
