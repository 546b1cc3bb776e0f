// The drag gesture and the delivery: a press on the handle starts a drag, a release outside the window
// hands the selection over, and timer steps type it into the program under the release point.
#pragma once
#include <windows.h>

#include "deliver/DeliveryPlan.h"

// What the delivery needs from the main window.
class DeliveryWindow {
  public:
    virtual HWND Window() const = 0;
    virtual void HideToTray() = 0;
    // Shown again where it was, without taking the keyboard from the target.
    virtual void ShowAfterDelivery() = 0;

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
    void SetModes(int sendMode, int separatorMode);
    int SendMode() const { return m_job.sendMode; }
    int SeparatorMode() const { return m_job.separatorMode; }

    void OnButtonDown(POINT client, bool loginList);
    // True when the release is handled (no default processing).
    bool OnButtonUp(POINT client);
    // False for a timer that is not the delivery's.
    bool OnTimer(UINT_PTR id);

    bool Dragging() const { return m_dragging; }
    const DropHandOver& Drop() const { return m_drop; }
    const DeliveryJob& Job() const { return m_job; }

  private:
    void Start(POINT client);
    void Arm(NextStep next);

    DeliveryWindow& m_window;
    DropHandOver m_drop;
    DeliveryJob m_job;
    RECT m_dragArea = {0, 0, 0, 0};
    HandleGrab m_grab;
    bool m_dragging = false;
    bool m_loginList = false;
    HCURSOR m_dragCursor = nullptr;
    HCURSOR m_savedCursor = nullptr;
};
