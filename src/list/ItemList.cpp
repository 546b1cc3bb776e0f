// Filling the list box from the entries and reading its selection as entries.
#include "list/ItemList.h"

#include <algorithm>

#include "framework/WideText.h"
#include "resource.h"

int ListBoxCount(HWND box) {
    LRESULT n = SendMessageA(box, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : int(n);
}

bool ListBoxHasEntry(HWND box, int index) { return index >= 0 && index < ListBoxCount(box); }

std::string ListBoxText(HWND box, int index) {
    // Read through the wide messages: Wine's ANSI LB_GETTEXT copies through a fixed 512-character
    // buffer and corrupts the stack on a longer entry.
    LRESULT length = SendMessageW(box, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::wstring wide(size_t(length) + 1, L'\0');
    LRESULT got = SendMessageW(box, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&wide[0]));
    if (got == LB_ERR || got <= 0)
        return std::string();
    std::string text = Narrow(wide.data(), size_t(got));
    WipeWide(wide); // the text may be a password
    return text;
}

int LowestSelectedIndex(HWND box) {
    int index = -1;
    LRESULT n = SendMessageA(box, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index));
    return n == 1 ? index : -1;
}

std::vector<int> SelectedIndices(HWND box, int maxCount) {
    LRESULT selected = SendMessageA(box, LB_GETSELCOUNT, 0, 0);
    if (selected == LB_ERR || selected <= 0)
        return {};
    std::vector<int> indices(size_t(selected < maxCount ? selected : maxCount));
    LRESULT got = SendMessageA(box, LB_GETSELITEMS, WPARAM(indices.size()), reinterpret_cast<LPARAM>(indices.data()));
    indices.resize(got == LB_ERR ? 0 : size_t(got));
    return indices;
}

void FillListBox(HWND box, const ListModel& model) {
    // Every text is converted before the box is touched: running out of memory then leaves the list
    // on screen as it was instead of half replaced.
    size_t count = model.ShownCount();
    std::vector<std::wstring> texts;
    texts.reserve(count);
    size_t chars = 0;
    for (size_t v = 0; v < count; ++v) {
        texts.push_back(Widen(model.Entries()[model.ModelIndex(v)].text));
        chars += texts.back().size() + 1;
    }
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    SendMessageW(box, LB_INITSTORAGE, WPARAM(count), LPARAM(chars * sizeof(wchar_t)));
    for (std::wstring& text : texts) {
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        WipeWide(text);
    }
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

std::vector<size_t> SelectedEntries(HWND box, const ListModel& model, int maxCount) {
    std::vector<size_t> entries;
    for (int view : SelectedIndices(box, maxCount)) {
        if (size_t(view) < model.ShownCount())
            entries.push_back(model.ModelIndex(size_t(view)));
    }
    return entries;
}

long LowestSelectedEntry(HWND box, const ListModel& model) {
    int view = LowestSelectedIndex(box);
    return view >= 0 && size_t(view) < model.ShownCount() ? long(model.ModelIndex(size_t(view))) : -1;
}

void ShowItem(HWND box, const ListModel& model, size_t view, bool replace) {
    if (replace)
        SendMessageW(box, LB_DELETESTRING, WPARAM(view), 0);
    InsertString(box, int(view), model.Entries()[model.ModelIndex(view)].text);
}

void InsertString(HWND box, int index, const std::string& text) {
    std::wstring wide = Widen(text);
    SendMessageW(box, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(wide.c_str()));
    WipeWide(wide);
}

void SelectEntry(HWND dialog, int index) {
    HWND box = GetDlgItem(dialog, IDC_LIST);
    // The entry box takes several selections: clear them all, then select the one.
    SendMessageA(box, LB_SETSEL, FALSE, -1);
    SendMessageA(box, LB_SETSEL, TRUE, index);
    SendMessageA(box, LB_SETCARETINDEX, WPARAM(index), FALSE);
}
