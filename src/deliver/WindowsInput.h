// The real input behind InputSink: SendInput with the target's keyboard layout, WM_CHAR, the clipboard and
// the rights check.
#pragma once
#include <windows.h>

#include "deliver/Clipboard.h"
#include "deliver/DeliveryPlan.h"

// The keyboard layout of the thread that owns a window.
class TargetLayout : public KeyLayout {
  public:
    explicit TargetLayout(HWND window);
    int16_t KeyScan(char16_t unit) const override;
    uint16_t ScanCode(uint8_t vk) const override;
    bool IsDeadKey(uint8_t vk, uint8_t shiftState) const override;

  private:
    HKL m_layout;
};

class WindowsInput : public InputSink {
  public:
    // owner: the window that owns the clipboard while it is filled; clipboard: what the delivery keeps
    // aside from it.
    WindowsInput(HWND owner, ClipboardKeeper& clipboard)
        : m_owner(owner), m_clipboard(clipboard), m_layout(GetForegroundWindow()) {}

    bool Play(const InputEvent& event, long dropX, long dropY) override;
    bool Click(unsigned dx, unsigned dy) override;
    bool PutOnClipboard(const std::string& text, bool keepOriginal) override;
    void RestoreClipboard() override;
    uint32_t TargetProcess() override;
    // Keys go to the foreground window, so its layout decides which key types a character.
    const KeyLayout& Layout() override { return m_layout; }
    bool CapsLockOn() override;
    void ScreenSize(unsigned& width, unsigned& height) override;
    bool NextWindowPoint(long& x, long& y) override;
    bool TargetOutOfReach(long dropX, long dropY) override;
    uint64_t Now() override;
    void Wait(unsigned ms) override;
    std::string InsertedText(SequenceItem::Kind kind) override;

  private:
    HWND m_owner;
    ClipboardKeeper& m_clipboard;
    TargetLayout m_layout;
};

// Whether window belongs to a process that runs at a higher integrity level than ours. Tests put in their
// own: Wine runs every process at the same level.
using RightsProbe = bool (*)(HWND window);
void SetRightsProbe(RightsProbe probe); // nullptr: the real check

// Whether Shift, Ctrl or Alt is held down on the keyboard.
bool ModifiersHeld();
