// The drag gesture and the delivery: a press on the handle starts a drag, a release outside the window
// hands the selection over, and timer steps type it into the program under the release point. Send to
// previous window delivers the same way to the window the user worked in before, without a drag.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "deliver/Clipboard.h"
#include "deliver/DeliveryPlan.h"
#include "deliver/ForegroundTracker.h"

// What the delivery needs from the main window.
class DeliveryWindow {
  public:
    virtual HWND Window() const = 0;
    virtual void HideToTray() = 0;
    // Shown again where it was, without taking the keyboard from the target.
    virtual void ShowAfterDelivery() = 0;
    // The window the user had in front before ours.
    virtual const ForegroundTracker& PreviousWindow() const = 0;
    // The entries (not list box items) selected now, at most kMaxSelection, ascending.
    virtual std::vector<int> SelectedEntries() const = 0;
    // The text of entry index in field (kEntryField, kLoginField, kPasswordField); false when there is no
    // such entry.
    virtual bool EntryText(int index, int field, std::string& text) const = 0;

  protected:
    ~DeliveryWindow() = default;
};

// What a drop hands to the delivery steps.
struct DropHandOver {
    UINT selectionCount = 0;
    int selection[kMaxSelection] = {};
    POINT dropPoint = {0, 0};
    int fieldSelector = kEntryField;
};

// What Send to previous window types: the entry, or in a login list the login or (password) the password.
int FieldFor(ListKind kind, bool password);

class Delivery {
  public:
    explicit Delivery(DeliveryWindow& window) : m_window(window) {}
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    void SetDragCursor(HCURSOR cursor) { m_dragCursor = cursor; }
    // The handle and the strip, in client coordinates, and where a press on the handle puts the pointer;
    // set by every layout.
    void SetDragArea(const RECT& area, const HandleGrab& grab = HandleGrab()) {
        m_dragArea = area;
        m_grab = grab;
    }
    const RECT& DragArea() const { return m_dragArea; }
    // The settings of Options; a rule for the target's program overrides them for one delivery.
    void SetModes(SendMethod sendMode, EntrySeparator separatorMode);
    SendMethod SendMode() const { return m_settings.sendMode; }
    EntrySeparator SeparatorMode() const { return m_settings.separatorMode; }
    // The pause after each typed character, in milliseconds.
    void SetKeyDelay(int ms) { m_settings.keyDelay = ms; }
    int KeyDelay() const { return m_settings.keyDelay; }
    // Whether every clipboard delivery gives the clipboard back (secrets always do).
    void SetRestoreClipboard(bool restore) { m_job.restoreOption = restore; }
    bool RestoresClipboard() const { return m_job.restoreOption; }

    void OnButtonDown(POINT client, ListKind kind);
    // True when the release is handled (no default processing).
    bool OnButtonUp(POINT client);
    // Delivers the selection to the focused control of the window the user had in front before ours;
    // field: see FieldFor, or kLoginAndPassword (login, Tab, password, Enter; login lists only). When that
    // window is gone, or is not in front when typing would start, nothing is sent and the user is told
    // which window it was.
    void SendToPreviousWindow(ListKind kind, int field);
    // The same for a window the caller chose (the one in front when the hot key was pressed): typing waits
    // until window is in front with focus (when given) holding the keyboard, and is refused otherwise.
    void SendToWindow(HWND window, HWND focus, const std::string& title, ListKind kind, int field);
    // False for a timer that is not the delivery's.
    bool OnTimer(UINT_PTR id);
    // The window's clipboard messages: entries are put on the clipboard by delayed rendering.
    void OnRenderFormat(UINT format);
    void OnRenderAllFormats();
    void OnDestroyClipboard();

    bool Dragging() const { return m_dragging; }
    // From the hand-over until the window is back.
    bool Running() const { return m_running; }
    const DropHandOver& Drop() const { return m_drop; }
    const DeliveryJob& Job() const { return m_job; }

  private:
    bool TakeSelection(ListKind kind, int field);
    void Start(POINT client);
    void SendTo(HWND window, HWND focus, bool seen, const std::string& title, ListKind kind, int field);
    void Send(InputSink& input);
    void Arm(NextStep next);
    void StopChain();
    void Finish();
    void Refuse();
    HWND TargetFocus() const;
    bool AimAtTargetFocus();
    void TellTargetLost();
    void OnClipboardRead(DWORD reader);
    void UseRulesFor(HWND target);

    struct Settings {
        SendMethod sendMode = kSendClipboard;
        EntrySeparator separatorMode = kSeparatorEnter;
        int keyDelay = kKeyStrokeDelayMs;
    };

    DeliveryWindow& m_window;
    Settings m_settings;
    DropHandOver m_drop;
    DeliveryJob m_job;
    ClipboardKeeper m_clipboard;
    RECT m_dragArea = {0, 0, 0, 0};
    HandleGrab m_grab;
    bool m_dragging = false;
    bool m_running = false;
    bool m_aimAtFocus = false; // no drop point: the first send step takes the focused control's
    HWND m_target = nullptr;   // the window Send to previous window types into, as the tracker saw it
    HWND m_targetFocus = nullptr; // the control that must have the focus there; nullptr: whichever has it
    bool m_targetSeen = false;
    unsigned m_frontWaits = 0;
    std::string m_targetTitle;
    ListKind m_dragKind = kPlainList;
    HCURSOR m_dragCursor = nullptr;
    HCURSOR m_savedCursor = nullptr;
};
