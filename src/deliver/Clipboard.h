// The clipboard: texts put there by Copy and by deliveries, and what a delivery keeps aside to give back.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

enum class ClipboardResult { Ok, Busy, NoMemory, Refused };

// Puts UTF-8 text on the clipboard as CF_UNICODETEXT, in a block of at least minUnits UTF-16 units (and at
// least the text and its NUL). A private text is marked, in the same go, to stay out of clipboard history,
// cloud sync and clipboard monitors. Another program may hold the clipboard for a moment, so opening is
// tried a few times.
ClipboardResult PutTextOnClipboard(HWND owner, const std::string& text, size_t minUnits, bool privateText);

// What the clipboard held before a delivery, given back after it.
class ClipboardKeeper {
  public:
    ClipboardKeeper() = default;
    ClipboardKeeper(const ClipboardKeeper&) = delete;
    ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;
    // Empties the clipboard if it still holds a text that was to be taken back: it must not outlive us.
    ~ClipboardKeeper();

    // Puts a delivery's text on the clipboard, always private, by delayed rendering: the text itself is made
    // only when a program asks for it, and so Pelmar learns when that is. With keepOriginal the clipboard's
    // content is copied aside first, unless a copy is kept already.
    bool Put(HWND owner, const std::string& text, bool keepOriginal);
    // Puts the copy back if the clipboard still holds our last text: as we left it, or the same text
    // published again by another program (a clipboard manager). Other content stays. The copy is dropped
    // either way.
    void Restore(HWND owner);

    // The owner's clipboard messages. Render answers WM_RENDERFORMAT: true when our text was made now, for
    // the first read of it.
    bool Render(UINT format);
    // WM_RENDERALLFORMATS, the owner going away: a text that is to be given back is never made then.
    void RenderAll(HWND owner);
    // WM_DESTROYCLIPBOARD: true when our text left the clipboard without anyone having read it.
    bool Dropped();

  private:
    struct Saved {
        UINT format;
        HGLOBAL block;
    };
    void Keep(HWND owner);
    void DropSaved();
    bool StillOurs(HWND owner) const;
    void ForgetText();

    std::vector<Saved> m_saved;
    bool m_keeping = false;
    DWORD m_ourSequence = 0; // the clipboard's sequence number after our last text
    std::string m_text;      // our last text: to be made on request, and to be recognised while kept
    bool m_unrendered = false;
};
