// The drag gesture, the hand-over of a delivery and the timer steps that type it into the target.
#include "deliver/Delivery.h"

#include <algorithm>
#include <vector>

#include "deliver/ForegroundRules.h"
#include "deliver/TargetProgram.h"
#include "deliver/WindowsInput.h"
#include "framework/WinApp.h"

namespace {
constexpr UINT kModifierPollDelay = 50;
constexpr unsigned kFrontWaits = 20; // how many more polls the target may take to come to the front
const char kClipboardUnread[] =
    "The target program did not take the text from the clipboard within 10 seconds, so Pelmar went on "
    "without it. Check what arrived there.";
const char kOutOfReach[] =
    "The target window runs with higher rights than Pelmar, so Pelmar cannot type into "
    "it. Start Pelmar as administrator to type there.";

IntRect ToIntRect(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}
} // namespace

void Delivery::SetModes(SendMethod sendMode, EntrySeparator separatorMode) {
    m_settings.sendMode = sendMode;
    m_settings.separatorMode = separatorMode;
}

// Every delivery starts from the settings: a rule counts for its own program's delivery only.
void Delivery::UseRulesFor(HWND target) {
    RuleOverrides rule = OverridesForWindow(target);
    m_job.sendMode = SendMethod(rule.sendMode.value_or(m_settings.sendMode));
    m_job.separatorMode = EntrySeparator(rule.separator.value_or(m_settings.separatorMode));
    m_job.keyDelay = rule.keyDelay.value_or(m_settings.keyDelay);
    m_job.pasteKeys = rule.paste.value_or(kPasteCtrlV);
}

void Delivery::OnButtonDown(POINT p, ListKind kind) {
    if (!Contains(ToIntRect(m_dragArea), p.x, p.y))
        return;
    m_dragKind = kind;
    m_drop.fieldSelector = FieldForPress(ToIntRect(m_dragArea), p.x, p.y, kind == kLoginList);
    POINT cursor;
    GetCursorPos(&cursor);
    Offset shift = PointerShiftForPress(p.x, p.y, m_grab);
    m_savedCursor = SetCursor(m_dragCursor);
    // Warp only when the pointer is not there yet: under Wine a warp while the button is held ends X's
    // implicit grab, and the release over another program would never reach us.
    if (shift.dx || shift.dy)
        SetCursorPos(cursor.x + shift.dx, cursor.y + shift.dy);
    // With the capture the release reaches us wherever on the screen it happens.
    SetCapture(m_window.Window());
    m_dragging = true;
}

bool Delivery::OnButtonUp(POINT p) {
    if (!m_dragging)
        return true;
    m_dragging = false;
    SetCursor(m_savedCursor);
    ReleaseCapture();
    // Caption, menu and frame count as the window too: a release there sends nothing.
    HWND window = m_window.Window();
    RECT rect;
    GetWindowRect(window, &rect);
    ScreenToClient(window, reinterpret_cast<POINT*>(&rect.left));
    ScreenToClient(window, reinterpret_cast<POINT*>(&rect.right));
    if (PtInRect(&rect, p))
        return false;
    Start(p);
    return true;
}

// Hands the selection to the job; false when nothing is selected (or the list is empty): then there is
// nothing to type, and the window need not go away at all.
bool Delivery::TakeSelection(ListKind kind, int field) {
    // The entries, not the list box items: what the list shows may change while the keys are typed.
    std::vector<int> selected = m_window.SelectedEntries();
    if (selected.size() > kMaxSelection)
        selected.resize(kMaxSelection);
    if (selected.empty())
        return false;
    std::copy(selected.begin(), selected.end(), m_drop.selection);
    m_drop.selectionCount = UINT(selected.size());
    m_drop.fieldSelector = field;
    m_job.count = m_drop.selectionCount;
    m_job.selection = m_drop.selection;
    m_job.position = 0;
    m_job.field = field;
    m_job.listKind = kind;
    return true;
}

// The release outside the window: hand the selection over, hide, and start the steps.
void Delivery::Start(POINT p) {
    if (!TakeSelection(m_dragKind, m_drop.fieldSelector))
        return;
    StopChain();
    HWND window = m_window.Window();
    ClientToScreen(window, &p);
    m_drop.dropPoint = p;
    UseRulesFor(WindowFromPoint(p));
    m_job.dropX = p.x;
    m_job.dropY = p.y;
    m_aimAtFocus = false;
    m_running = true;
    m_window.HideToTray();
    SetTimer(window, kChainClick, kClickDelay, nullptr);
    SetTimer(window, kChainSend, kSendDelay, nullptr);
    // Our window must not hold the activation when the click activates the target.
    SetActiveWindow(nullptr);
}

int FieldFor(ListKind kind, bool password) {
    return kind != kLoginList ? kEntryField : password ? kPasswordField : kLoginField;
}

void Delivery::SendToPreviousWindow(ListKind kind, int field) {
    const ForegroundTracker& previous = m_window.PreviousWindow();
    SendTo(previous.Target(), nullptr, previous.Seen(), previous.TargetTitle(), kind, field);
}

void Delivery::SendToWindow(HWND window, HWND focus, const std::string& title, ListKind kind, int field) {
    SendTo(window && IsWindow(window) ? window : nullptr, focus, true, title, kind, field);
}

void Delivery::SendTo(HWND window, HWND focus, bool seen, const std::string& title, ListKind kind, int field) {
    // Login and password only make sense in a login list.
    if (field == kLoginAndPassword && kind != kLoginList)
        return;
    m_target = window;
    m_targetFocus = focus;
    m_targetSeen = seen;
    m_targetTitle = title;
    if (m_target && !TakeSelection(kind, field))
        return;
    if (!m_target || !BringToFront(m_target)) {
        TellTargetLost();
        return;
    }
    StopChain();
    UseRulesFor(m_target);
    m_aimAtFocus = true;
    m_frontWaits = kFrontWaits;
    m_running = true;
    m_window.HideToTray();
    SetTimer(m_window.Window(), kChainSend, kSendDelay, nullptr);
}

bool Delivery::OnTimer(UINT_PTR id) {
    WindowsInput input(m_window.Window(), m_clipboard);
    switch (id) {
    case kChainClick: Arm(ClickStep(m_job, input)); return true;
    case kChainSend: Send(input); return true;
    case kChainType: Arm(TypeStep(m_job, input)); return true;
    case kChainAfterEntry: Arm(AfterEntryStep(m_job, input)); return true;
    case kChainFinish: Finish(); return true;
    case kChainClipboardWait: Arm(ClipboardWaitStep(m_job, input)); return true;
    default: return false;
    }
}

void Delivery::Send(InputSink& input) {
    if (m_aimAtFocus) {
        // Keys typed while the user still holds Ctrl or Shift of Ctrl+Enter would arrive as shortcuts.
        if (ModifiersHeld()) {
            SetTimer(m_window.Window(), kChainSend, kModifierPollDelay, nullptr);
            return;
        }
        // The system hands the activation to the other program's thread, and a busy program takes a moment.
        if (!TargetFocus() && m_frontWaits > 0) {
            --m_frontWaits;
            SetTimer(m_window.Window(), kChainSend, kModifierPollDelay, nullptr);
            return;
        }
        m_aimAtFocus = false;
        if (!AimAtTargetFocus())
            return;
    }
    const DeliveryWindow& window = m_window;
    EntrySource source = [&window](int index, int field, std::string& text) {
        return window.EntryText(index, field, text);
    };
    Arm(SendStep(m_job, source, input));
}

void Delivery::Arm(NextStep next) {
    if (next.timer == kChainRefused)
        Refuse();
    else if (next.timer != kChainNone)
        SetTimer(m_window.Window(), next.timer, next.delay, nullptr);
}

void Delivery::Finish() {
    WindowsInput input(m_window.Window(), m_clipboard);
    FinishStep(m_job, input);
    m_running = false;
    m_window.ShowAfterDelivery();
    // The delivery is over: the note holds nothing up.
    if (m_job.clipboardUnread) {
        m_job.clipboardUnread = false;
        AfxMessageBox(kClipboardUnread, MB_OK | MB_ICONINFORMATION, m_window.Window());
    }
}

// The reader holds the clipboard open while it asks us for the text: its window tells whose read it is.
void Delivery::OnRenderFormat(UINT format) {
    DWORD reader = 0;
    if (HWND asking = GetOpenClipboardWindow())
        GetWindowThreadProcessId(asking, &reader);
    if (m_clipboard.Render(format))
        OnClipboardRead(reader);
}

void Delivery::OnRenderAllFormats() {
    m_clipboard.RenderAll(m_window.Window());
}

// Another program took the clipboard before anyone read our text: the target's read can no longer be seen.
void Delivery::OnDestroyClipboard() {
    if (m_clipboard.Dropped())
        OnClipboardRead(0);
}

void Delivery::OnClipboardRead(DWORD reader) {
    WindowsInput input(m_window.Window(), m_clipboard);
    NextStep next = ClipboardReadStep(m_job, uint32_t(reader), input.Now());
    if (next.timer != kChainNone)
        SetTimer(m_window.Window(), next.timer, next.delay, nullptr);
}

// A new delivery replaces one still under way (the window can come back from the tray meanwhile): the old
// steps stop and their planned keys go.
void Delivery::StopChain() {
    for (UINT_PTR id : {kChainClick, kChainSend, kChainType, kChainAfterEntry, kChainFinish})
        KillTimer(m_window.Window(), id);
    KillTimer(m_window.Window(), kChainClipboardWait);
    m_job.paste = PasteWatch();
    m_job.clipboardUnread = false;
    WipePlan(m_job.typing);
    WipePieces(m_job.pieces);
    m_job.piece = 0;
    m_job.typed = 0;
    m_job.noText = false; // an arrow entry was under way
}

// The target takes no input from us: stop at once, come back and say why.
void Delivery::Refuse() {
    StopChain();
    Finish();
    SetForegroundWindow(m_window.Window());
    AfxMessageBox(kOutOfReach, MB_OK | MB_ICONEXCLAMATION, m_window.Window());
}

// The control that takes the keys while the target is in front; nullptr while it is not.
HWND Delivery::TargetFocus() const {
    if (GetForegroundWindow() != m_target || IsIconic(m_target))
        return nullptr;
    HWND focus = ForegroundTracker::FocusedControlOf(m_target);
    return m_targetFocus && focus != m_targetFocus ? nullptr : focus;
}

// The user may have clicked elsewhere, or the window closed, while we hid: keys now would go astray.
// Otherwise the activated window has put its focus back by now, and its middle is where characters are
// posted.
bool Delivery::AimAtTargetFocus() {
    HWND focus = TargetFocus();
    if (!focus) {
        TellTargetLost();
        return false;
    }
    RECT r;
    GetWindowRect(focus, &r);
    m_job.dropX = (r.left + r.right) / 2;
    m_job.dropY = (r.top + r.bottom) / 2;
    return true;
}

void Delivery::TellTargetLost() {
    if (m_running) {
        StopChain();
        Finish();
    }
    SetForegroundWindow(m_window.Window());
    AfxMessageBox(TargetLostMessage(m_targetSeen, m_targetTitle).c_str(), MB_OK | MB_ICONEXCLAMATION,
                  m_window.Window());
}
