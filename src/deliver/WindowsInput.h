// The real input behind InputSink: keybd_event, SendInput, mouse_event, WM_CHAR and the clipboard.
#pragma once
#include <windows.h>

#include "deliver/DeliveryPlan.h"

class WindowsInput : public InputSink {
  public:
    // owner: the window that owns the clipboard while it is filled.
    explicit WindowsInput(HWND owner) : m_owner(owner) {}

    void Play(const InputEvent& event, long dropX, long dropY) override;
    void Click(unsigned dx, unsigned dy) override;
    bool PutOnClipboard(const std::string& text) override;
    int16_t KeyScan(unsigned char c) override;
    bool CapsLockOn() override;
    void ScreenSize(unsigned& width, unsigned& height) override;
    bool NextWindowPoint(long& x, long& y) override;

  private:
    HWND m_owner;
};
