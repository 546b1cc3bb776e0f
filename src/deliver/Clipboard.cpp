// Putting text on the clipboard, and keeping its earlier content aside for a delivery.
#include "deliver/Clipboard.h"

#include <cstring>

#include "common/Wipe.h"

namespace {
// Another program may hold the clipboard for a moment; wait a little rather than give up at once. The
// program may be waiting for us to render our text meanwhile, so its requests are answered while we wait.
bool OpenClipboardSoon(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
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

bool MakeMarks(ClipboardBlocks& blocks) {
    blocks.markCount = 3;
    bool made = true;
    for (size_t i = 0; i < blocks.markCount; ++i) {
        blocks.marks[i] = DwordBlock(0);
        made = made && blocks.marks[i];
    }
    return made;
}

bool MakeBlocks(ClipboardBlocks& blocks, const std::string& text, size_t minUnits, bool privateText) {
    blocks.text = UnicodeBlock(text, minUnits);
    return (!privateText || MakeMarks(blocks)) && blocks.text;
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

// Whether the open clipboard's Unicode text is exactly text.
bool ClipboardHolds(const std::string& text) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    HGLOBAL ours = data ? UnicodeBlock(text, 0) : nullptr;
    SIZE_T size = data ? GlobalSize(data) : 0;
    const WCHAR* theirs = size ? static_cast<const WCHAR*>(GlobalLock(data)) : nullptr;
    const WCHAR* mine = theirs && ours ? static_cast<const WCHAR*>(GlobalLock(ours)) : nullptr;
    bool same = false;
    if (mine) {
        size_t units = GlobalSize(ours) / sizeof(WCHAR); // the text and its NUL
        same = size / sizeof(WCHAR) >= units && memcmp(theirs, mine, units * sizeof(WCHAR)) == 0;
        GlobalUnlock(ours);
    }
    if (theirs)
        GlobalUnlock(data);
    WipeAndFree(ours);
    return same;
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
    if (m_keeping && OpenClipboardSoon(nullptr)) {
        if (GetClipboardSequenceNumber() == m_ourSequence || ClipboardHolds(m_text))
            EmptyClipboard();
        CloseClipboard();
    }
    DropSaved();
    WipeString(m_text);
}

bool ClipboardKeeper::Put(HWND owner, const std::string& text, bool keepOriginal) {
    if (keepOriginal && !m_keeping)
        Keep(owner);
    ClipboardBlocks blocks;
    if (!MakeMarks(blocks) || !OpenClipboardSoon(owner)) {
        FreeBlocks(blocks);
        return false;
    }
    EmptyClipboard(); // our window, as the last owner, forgets the text before this one
    for (size_t i = 0; i < blocks.markCount; ++i) {
        if (SetClipboardData(RegisterClipboardFormatA(kPrivateFormats[i]), blocks.marks[i]))
            blocks.marks[i] = nullptr;
    }
    // No data: the text is made when a program asks for it.
    SetClipboardData(CF_UNICODETEXT, nullptr);
    bool taken = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
    if (taken) {
        WipeString(m_text);
        m_text = text;
        m_unrendered = true;
    } else {
        EmptyClipboard();
    }
    CloseClipboard();
    FreeBlocks(blocks);
    m_ourSequence = GetClipboardSequenceNumber();
    return taken;
}

bool ClipboardKeeper::Render(UINT format) {
    if (format != CF_UNICODETEXT || !m_unrendered)
        return false;
    m_unrendered = false;
    // The program that asks holds the clipboard open: the data goes in without opening it.
    HGLOBAL block = UnicodeBlock(m_text, 0);
    if (block && !SetClipboardData(CF_UNICODETEXT, block))
        WipeAndFree(block);
    m_ourSequence = GetClipboardSequenceNumber();
    if (!m_keeping)
        WipeString(m_text);
    return true;
}

void ClipboardKeeper::RenderAll(HWND owner) {
    bool make = m_unrendered && !m_keeping;
    m_unrendered = false;
    if (!make || !OpenClipboard(owner))
        return;
    if (GetClipboardOwner() == owner) {
        HGLOBAL block = UnicodeBlock(m_text, 0);
        if (block && !SetClipboardData(CF_UNICODETEXT, block))
            WipeAndFree(block);
    }
    CloseClipboard();
    WipeString(m_text);
}

bool ClipboardKeeper::Dropped() {
    bool unread = m_unrendered;
    m_unrendered = false;
    if (!m_keeping)
        WipeString(m_text);
    return unread;
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
    if (OpenClipboardSoon(owner)) {
        if (StillOurs(owner)) {
            EmptyClipboard();
            for (Saved& saved : m_saved) {
                if (SetClipboardData(saved.format, saved.block))
                    saved.block = nullptr; // the clipboard's now
            }
        }
        CloseClipboard();
    }
    DropSaved();
    m_unrendered = false;
    WipeString(m_text);
}

// With the clipboard open: our text is there, as we left it or published again by another program.
bool ClipboardKeeper::StillOurs(HWND owner) const {
    if (GetClipboardOwner() == owner || GetClipboardSequenceNumber() == m_ourSequence)
        return true;
    return ClipboardHolds(m_text);
}

void ClipboardKeeper::DropSaved() {
    for (Saved& saved : m_saved)
        WipeAndFree(saved.block);
    m_saved.clear();
}
