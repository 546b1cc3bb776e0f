// The delivery engine's real input under Wine: a drop from the real dialog into an edit field of this
// process.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "BoxWatch.h"
#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "deliver/WindowsInput.h"
#include "resource.h"

namespace {
// A top-level window with one multi-line edit field and nothing else, so it has no next field.
class TargetWindow {
  public:
    TargetWindow() {
        m_frame = CreateWindowA("STATIC", "delivery target", WS_POPUP | WS_VISIBLE | WS_BORDER, 500, 300, 300,
                                200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
        m_edit = CreateWindowA("EDIT", "", style, 10, 10, 280, 180, m_frame, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        // Key strokes go to the foreground thread; ours must hold it for its key state to follow them.
        SetForegroundWindow(m_frame);
        SetFocus(m_edit);
    }
    ~TargetWindow() { DestroyWindow(m_frame); }
    HWND Edit() const { return m_edit; }
    POINT Center() const {
        RECT r;
        GetWindowRect(m_edit, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

  private:
    HWND m_frame, m_edit;
};

bool CapsLockOn() {
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

struct Delivered {
    std::string text;
    bool capsAfter = false;
    bool windowBack = false;
    bool iconGone = false;
};

// Drops the selected entries onto the target's edit field with the given modes and waits for the finish.
// filter: typed into Find first; selected then names items of the list it leaves.
Delivered Deliver(const std::string& listText, std::vector<int> selected, int sendMode, int separatorMode,
                  bool capsOn, const std::function<void()>& beforeDrop = nullptr, const wchar_t* filter = nullptr) {
    TempDir dir;
    std::string list = dir.File("list.txt"), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, listText);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    WritePrivateProfileStringA("pelmar", "clip", std::to_string(sendMode).c_str(), ini.c_str());
    WritePrivateProfileStringA("pelmar", "cr", std::to_string(separatorMode).c_str(), ini.c_str());
    Delivered out;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        TargetWindow target;
        EXPECT_TRUE(PumpUntil([&] { return dlg.Deliverer().DragArea().bottom > 0; }));
        if (filter) {
            dlg.ShowFinder();
            SetWindowTextW(dlg.GetDlgItem(IDC_FIND), filter);
        }
        SelectItems(dlg.GetDlgItem(IDC_LIST), selected);
        POINT drop = target.Center();
        SetCursorPos(drop.x, drop.y);
        PumpFor(100);
        if (CapsLockOn() != capsOn)
            TapKey(VK_CAPITAL);
        EXPECT_TRUE(PumpUntil([&] { return CapsLockOn() == capsOn; }));
        if (beforeDrop)
            beforeDrop();
        SendMessageA(dlg.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 100));
        ScreenToClient(dlg.m_hWnd, &drop);
        SendMessageA(dlg.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd));
        PumpUntil([&] { return !dlg.Deliverer().Running(); }, 15000);
        PumpFor(200);
        out.text = WindowText(target.Edit());
        out.capsAfter = CapsLockOn();
        out.windowBack = IsWindowVisible(dlg.m_hWnd) != FALSE;
        out.iconGone = !NotifyTrayIcon(dlg, NIM_MODIFY);
        if (CapsLockOn())
            TapKey(VK_CAPITAL); // leave Caps Lock off for whatever runs next
        PumpUntil([] { return !CapsLockOn(); });
    });
    return out;
}

// What the user had on the clipboard before a delivery: "before".
void PutBeforeOnClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 7);
    memcpy(GlobalLock(block), "before", 7);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

TEST(Delivery, TypesIntoTheFieldUnderTheDropPoint) {
    const struct {
        int sendMode, separatorMode;
        bool caps;
        std::string want;
    } cases[] = {
        {0, 1, false, "Mixed Text 1\r\nsunny"},
        {1, 1, false, "Mixed Text 1\r\nsunny"},
        {1, 1, true, "Mixed Text 1\r\nsunny"}, // Caps Lock off for the text, on again after it
        {2, 1, true, "Mixed Text 1\r\nsunny"},
        // Tab in character mode with no next window: the characters stay with the field they went to.
        {2, 2, false, "Mixed Text 1\tsunny"},
    };
    for (const auto& c : cases) {
        Delivered got =
            Deliver("Mixed Text 1\r\nskipped\r\nsunny\r\n", {0, 2}, c.sendMode, c.separatorMode, c.caps);
        EXPECT_EQ(got.text, c.want) << c.sendMode << "/" << c.separatorMode << " caps " << c.caps;
        EXPECT_EQ(got.capsAfter, c.caps) << c.sendMode;
        EXPECT_TRUE(got.windowBack);
        EXPECT_TRUE(got.iconGone);
    }
}

TEST(Delivery, WhileFilteredTheEntriesShownAreTyped) {
    Delivered got = Deliver("alpha\r\nbeta\r\ngamma\r\nBetter\r\nzeta\r\n", {1}, 1, 1, false, nullptr, L"bet");
    EXPECT_EQ(got.text, "Better");
}

TEST(Delivery, CharactersWithoutAKeyArriveAsThemselves) {
    // On the US layout VkKeyScanA has no key for these; code page 1252 bytes. (No plain "c" in these texts:
    // this process's message pump runs the main dialog's accelerators, where C is Copy.)
    Delivered got = Deliver("tea \xE9 \x80 5\r\n", {0}, 1, 1, false);
    EXPECT_EQ(got.text, "tea \xE9 \x80 5");
}

TEST(Delivery, LongEntriesArriveWhole) {
    std::string text;
    while (text.size() < 1000)
        text += "Long entry with many words, 0123456789. ";
    text.resize(1000);
    for (int mode : {0, 2}) {
        Delivered got = Deliver(text + "\r\n", {0}, mode, 1, false);
        EXPECT_EQ(got.text, text) << mode;
    }
}

TEST(Delivery, BusyClipboardPastesNothingOld) {
    std::atomic<bool> holding{false}, release{false};
    std::thread holder;
    Delivered got = Deliver("fresh\r\n", {0}, 0, 1, false, [&] {
        holder = std::thread([&] {
            OpenClipboard(nullptr);
            EmptyClipboard();
            HGLOBAL old = GlobalAlloc(GMEM_MOVEABLE, 4);
            memcpy(GlobalLock(old), "OLD", 4);
            GlobalUnlock(old);
            SetClipboardData(CF_TEXT, old);
            holding = true;
            while (!release)
                Sleep(10);
            CloseClipboard();
        });
        while (!holding)
            Sleep(1);
    });
    release = true;
    holder.join();
    EXPECT_EQ(got.text, "");
    EXPECT_TRUE(got.windowBack);
}

TEST(Delivery, TargetWithHigherRightsGetsNothingAndPelmarSaysWhy) {
    // Wine runs every program with the same rights; the check is told that the target has more.
    SetRightsProbe([](HWND window) { return window != nullptr && window != HarnessDialog()->m_hWnd; });
    for (int sendMode : {0, 1, 2}) {
        BoxSeen box;
        UINT_PTR watch = 0;
        Delivered got =
            Deliver("secret\r\n", {0}, sendMode, 1, false, [&] { watch = AnswerNextMessageBox(box); });
        StopAnswering(watch);
        EXPECT_EQ(got.text, "") << sendMode;
        EXPECT_TRUE(got.windowBack) << sendMode;
        EXPECT_TRUE(got.iconGone) << sendMode;
        EXPECT_EQ(box.text,
                  "The target window runs with higher rights than Pelmar, so Pelmar cannot type into it. "
                  "Start Pelmar as administrator to type there.")
            << sendMode;
    }
    SetRightsProbe(nullptr);
}

std::string ClipboardText() {
    std::string text = "<no text>";
    if (!OpenClipboard(nullptr))
        return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(Delivery, ClipboardComesBackAfterSecretsAndWhenAsked) {
    const struct {
        ListKind kind;
        bool restoreOption;
        const char* clipboardAfter;
    } cases[] = {
        {kPlainList, false, "first"},
        {kPlainList, true, "before"},
        {kEncryptedList, false, "before"},
    };
    for (const auto& c : cases) {
        Delivered got = Deliver("first\r\n", {0}, 0, 1, false, [&] {
            SetListKind(*HarnessDialog(), c.kind);
            HarnessDialog()->Deliverer().SetRestoreClipboard(c.restoreOption);
            PutBeforeOnClipboard();
        });
        EXPECT_EQ(got.text, "first") << c.kind << " " << c.restoreOption;
        EXPECT_EQ(ClipboardText(), c.clipboardAfter) << c.kind << " " << c.restoreOption;
    }
}

// A clipboard manager of its own thread and window: every new text it finds is published again as its own.
class ClipboardManager {
  public:
    ClipboardManager() : m_thread([this] { Run(); }) {}
    ~ClipboardManager() {
        m_stop = true;
        m_thread.join();
    }
    int Republished() const { return m_republished; }

  private:
    void Run() {
        HWND own = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        DWORD seen = GetClipboardSequenceNumber();
        while (!m_stop) {
            // Answers what is sent to its window, as a program must.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            if (GetClipboardSequenceNumber() == seen || !OpenClipboard(own))
                continue;
            HGLOBAL copy = CopyOfText();
            if (copy && GetClipboardOwner() != own) {
                EmptyClipboard();
                if (SetClipboardData(CF_UNICODETEXT, copy))
                    ++m_republished;
            }
            CloseClipboard();
            seen = GetClipboardSequenceNumber();
        }
        DestroyWindow(own);
    }
    static HGLOBAL CopyOfText() {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        SIZE_T size = data ? GlobalSize(data) : 0;
        HGLOBAL copy = size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
        if (copy) {
            memcpy(GlobalLock(copy), GlobalLock(data), size);
            GlobalUnlock(copy);
            GlobalUnlock(data);
        }
        return copy;
    }

    std::atomic<bool> m_stop{false};
    std::atomic<int> m_republished{0};
    std::thread m_thread;
};

TEST(Delivery, ClipboardComesBackWhenAManagerPublishedTheSecretAgain) {
    std::unique_ptr<ClipboardManager> manager;
    Delivered got = Deliver("first\r\n", {0}, 0, 1, false, [&] {
        SetListKind(*HarnessDialog(), kEncryptedList);
        PutBeforeOnClipboard();
        manager.reset(new ClipboardManager);
    });
    EXPECT_EQ(got.text, "first");
    // Published again: the secret, then the old content Pelmar gave back.
    EXPECT_TRUE(PumpUntil([&] { return manager->Republished() >= 2; }));
    manager.reset();
    EXPECT_EQ(ClipboardText(), "before");
}

// Clicks the tray icon once, and notes whether the window came back while keys were still being sent and
// left the keyboard with the target.
struct TrayClick {
    HWND dialog = nullptr;
    bool shownWhileTyping = false;
    bool targetKeptTheKeys = false;
};
TrayClick g_trayClick;

VOID CALLBACK ClickTrayIcon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SendMessageA(g_trayClick.dialog, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    g_trayClick.shownWhileTyping =
        IsWindowVisible(g_trayClick.dialog) && HarnessDialog()->Deliverer().Running();
    g_trayClick.targetKeptTheKeys = GetForegroundWindow() != g_trayClick.dialog;
}

TEST(Delivery, TrayClickWhileTypingShowsTheWindowWithoutTakingTheKeys) {
    g_trayClick = TrayClick();
    // Typed into Pelmar, the rest would go astray and the Enter end the program. (No "c": the test pump
    // runs the main dialog's accelerators for every window of the thread.)
    Delivered got = Deliver("keep typing\r\nnext one\r\n", {0, 1}, 1, 1, false, [&] {
        g_trayClick.dialog = HarnessDialog()->m_hWnd;
        HarnessDialog()->Deliverer().SetKeyDelay(20);
        SetTimer(nullptr, 0, 400, ClickTrayIcon); // the first entry is being typed then
    });
    EXPECT_TRUE(g_trayClick.shownWhileTyping);
    EXPECT_TRUE(g_trayClick.targetKeptTheKeys);
    EXPECT_EQ(got.text, "keep typing\r\nnext one");
    EXPECT_TRUE(got.windowBack);
    EXPECT_TRUE(got.iconGone);
}
} // namespace
