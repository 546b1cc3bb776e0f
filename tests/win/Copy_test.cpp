// Copy against the real list boxes and the real clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "BoxWatch.h"
#include "WinTestSupport.h"
#include "app/ListDlg.h"
#include "framework/WideText.h"
#include "resource.h"

namespace {
std::string ClipboardText() {
    std::string text = "<no text>";
    if (!OpenClipboard(nullptr))
        return "<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void PutClipboardText(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string Numbered(int count) {
    std::string file;
    for (int i = 0; i < count; ++i)
        file += "e" + std::to_string(i) + "\r\n";
    return file;
}

// Starts the dialog on a list file, selects entries in the order given, copies with the command.
std::string CopyFrom(const std::string& fileName, const std::string& fileBytes, int separatorMode,
                     const std::vector<int>& selection, UINT command = ID_COPY) {
    TempDir dir;
    std::string list = dir.File(fileName), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, fileBytes);
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    WritePrivateProfileStringA("pelmar", "cr", std::to_string(separatorMode).c_str(), ini.c_str());
    PutClipboardText("before");
    RunMainDialog(ini, [&](CListDlg& dlg) {
        HWND box = dlg.GetDlgItem(IDC_LIST);
        SendMessageA(box, LB_SETSEL, FALSE, -1);
        for (int i : selection)
            SendMessageA(box, LB_SETSEL, TRUE, i);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, command, 0);
    });
    return ClipboardText();
}

TEST(Copy, PutsTheSelectedTextsJoinedByTheSeparatorInListOrder) {
    const std::string file = "first\r\nsecond\r\nthird\r\nfourth\r\n|3\r\n";
    const struct {
        int separatorMode;
        std::vector<int> selection;
        std::string expected;
    } cases[] = {
        {1, {0, 1, 2}, "first\r\nsecond\r\nthird"},
        {2, {0, 1, 2}, "first\tsecond\tthird"},
        {1, {3, 0, 2}, "first\r\nthird\r\nfourth"},
        {2, {4, 1}, "second\t|3"},
        {1, {1}, "second"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopyFrom("list.txt", file, c.separatorMode, c.selection), c.expected);
}

TEST(Copy, TakesTheFirst128Of150Selected) {
    std::vector<int> all;
    for (int i = 149; i >= 0; --i)
        all.push_back(i);
    std::string expected;
    for (int i = 0; i < 128; ++i)
        expected += (i ? "\t" : "") + ("e" + std::to_string(i));
    EXPECT_EQ(CopyFrom("list.txt", Numbered(150), 2, all), expected);
}

TEST(Copy, LoginListCopiesSiteLabelsOnly) {
    // Logins and passwords are stored with every byte less 10: "W" is 'a'.
    std::string file = "bank\r\nWW\r\nXX\r\nmail\r\nYY\r\nZZ\r\n";
    EXPECT_EQ(CopyFrom("Pelmar.plr", file, 1, {0, 1}), "bank\r\nmail");
}

TEST(Copy, NothingSelectedLeavesTheClipboardAlone) {
    EXPECT_EQ(CopyFrom("list.txt", Numbered(3), 1, {}), "before");
}

TEST(Copy, BothCommandIdsCopy) {
    EXPECT_EQ(CopyFrom("list.txt", Numbered(3), 1, {2}, ID_COPY_ALT), "e2");
}

TEST(Copy, PlainCAndCtrlCCopy) {
    for (bool withCtrl : {false, true}) {
        TempDir dir;
        std::string list = dir.File("list.txt"), ini = dir.File("Pelmar.ini");
        WriteFileBytes(list, Numbered(4));
        WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
        PutClipboardText("before");
        RunMainDialog(ini, [&](CListDlg& dlg) {
            HWND box = dlg.GetDlgItem(IDC_LIST);
            SelectItems(box, {1, 3});
            SetForegroundWindow(dlg.m_hWnd);
            SetFocus(box);
            if (withCtrl)
                TapKeyWith(VK_CONTROL, 'C');
            else
                TapKey('C');
            EXPECT_TRUE(PumpUntil([] { return ClipboardText() != "before"; }));
        });
        EXPECT_EQ(ClipboardText(), "e1\r\ne3") << "with Ctrl: " << withCtrl;
    }
}

TEST(Copy, BusyClipboardIsReportedAndKeepsItsContent) {
    TempDir dir;
    std::string list = dir.File("list.txt"), ini = dir.File("Pelmar.ini");
    WriteFileBytes(list, Numbered(3));
    WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
    PutClipboardText("before");
    // Another thread holds the clipboard open while Copy runs.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr),
           release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        if (OpenClipboard(nullptr)) {
            SetEvent(opened);
            WaitForSingleObject(release, 20000);
            CloseClipboard();
        }
        SetEvent(opened);
    });
    ASSERT_EQ(WaitForSingleObject(opened, 5000), WAIT_OBJECT_0);
    BoxSeen box;
    HWND main = nullptr;
    RunMainDialog(ini, [&](CListDlg& dlg) {
        main = dlg.m_hWnd;
        SelectItems(dlg.GetDlgItem(IDC_LIST), {0});
        UINT_PTR watch = AnswerNextMessageBox(box);
        SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_COPY, 0);
        StopAnswering(watch);
    });
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(box.text, "Clipboard not available");
    EXPECT_EQ(box.caption, "Pelmar");
    EXPECT_EQ(box.owner, main);
    EXPECT_EQ(ClipboardText(), "before");
}

bool HasFormat(const char* name) {
    return IsClipboardFormatAvailable(RegisterClipboardFormatA(name)) != FALSE;
}

TEST(Copy, UnicodeArrivesWholeAndSecretListsStayOutOfClipboardHistory) {
    const wchar_t kText[] = L"Gr\u00FC\u00DFe \u2013 \u2603 \u65E5\u672C";
    for (ListKind kind : {kPlainList, kLoginList, kEncryptedList}) {
        TempDir dir;
        std::string list = dir.File("list.txt"), ini = dir.File("Pelmar.ini");
        WriteFileBytes(list, "x\r\n");
        WritePrivateProfileStringA("pelmar", "list", list.c_str(), ini.c_str());
        PutClipboardText("before");
        RunMainDialog(ini, [&](CListDlg& dlg) {
            SetListKind(dlg, kind);
            HWND box = dlg.GetDlgItem(IDC_LIST);
            InsertEntry(dlg, 0, Narrow(kText, wcslen(kText)));
            SelectItems(box, {0, 1});
            SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_COPY, 0);
        });
        ASSERT_TRUE(OpenClipboard(nullptr));
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        EXPECT_EQ(std::wstring(copied ? copied : L"<none>"), std::wstring(kText) + L"\r\nx") << kind;
        if (copied)
            GlobalUnlock(data);
        bool secret = kind != kPlainList;
        EXPECT_EQ(HasFormat("ExcludeClipboardContentFromMonitorProcessing"), secret) << kind;
        EXPECT_EQ(HasFormat("CanIncludeInClipboardHistory"), secret) << kind;
        EXPECT_EQ(HasFormat("CanUploadToCloudClipboard"), secret) << kind;
        HANDLE history = GetClipboardData(RegisterClipboardFormatA("CanIncludeInClipboardHistory"));
        if (secret && history) {
            EXPECT_EQ(*static_cast<const DWORD*>(GlobalLock(history)), 0u);
            GlobalUnlock(history);
        }
        CloseClipboard();
    }
}
} // namespace
