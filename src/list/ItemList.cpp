// Reading and changing the item list through its three list boxes.
#include "list/ItemList.h"

#include <algorithm>

#include "framework/WideText.h"
#include "resource.h"

namespace {
const int kBoxes[3] = {IDC_LIST, IDC_LOGIN_LIST, IDC_PASSWORD_LIST};


} // namespace

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

void ItemSources::Replace(std::vector<ListEntry> sources) {
    for (ListEntry& e : m_sources)
        WipeEntry(e);
    m_sources.swap(sources);
}

const ListEntry* ItemSources::Find(LRESULT itemData) const {
    bool known = itemData > 0 && size_t(itemData) <= m_sources.size(); // LB_ERR is negative
    return known ? &m_sources[size_t(itemData) - 1] : nullptr;
}

LRESULT ItemSource(HWND box, int index) {
    return SendMessageW(box, LB_GETITEMDATA, WPARAM(index), 0);
}

void SetItemSource(HWND box, int index, LRESULT source) {
    if (source != LB_ERR && source != 0)
        SendMessageW(box, LB_SETITEMDATA, WPARAM(index), source);
}

void FillItemList(HWND dialog, const std::vector<ListEntry>& entries, ListKind kind, ItemSources& sources) {
    // Every text is converted before the boxes are touched: running out of memory then leaves the list
    // on screen as it was instead of half replaced.
    int boxCount = kind == kLoginList ? 3 : 1;
    std::vector<std::wstring> columns[3];
    for (int b = 0; b < boxCount; ++b) {
        columns[b].reserve(entries.size());
        for (const ListEntry& e : entries)
            columns[b].push_back(Widen(b == 0 ? e.text : b == 1 ? e.login : e.password));
    }
    std::vector<ListEntry> kept;
    kept.reserve(size_t(std::count_if(entries.begin(), entries.end(), HasReadBytes))); // passwords: no regrowth
    std::vector<LRESULT> itemData(entries.size(), 0);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (HasReadBytes(entries[i])) {
            kept.push_back(entries[i]);
            itemData[i] = LRESULT(kept.size());
        }
    }
    sources.Replace(std::move(kept));
    for (int b = 0; b < 3; ++b) {
        HWND box = GetDlgItem(dialog, kBoxes[b]);
        SendMessageW(box, WM_SETREDRAW, FALSE, 0);
        SendMessageW(box, LB_RESETCONTENT, 0, 0);
        size_t chars = 0;
        for (const std::wstring& text : columns[b])
            chars += text.size() + 1;
        if (b < boxCount)
            SendMessageW(box, LB_INITSTORAGE, WPARAM(entries.size()), LPARAM(chars * sizeof(wchar_t)));
        for (size_t i = 0; i < columns[b].size(); ++i) {
            LRESULT index = SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(columns[b][i].c_str()));
            if (b == 0)
                SetItemSource(box, int(index), itemData[i]);
            WipeWide(columns[b][i]);
        }
        SendMessageW(box, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(box, nullptr, TRUE);
    }
}

ListEntry ReadEntry(HWND dialog, int index, ListKind kind) {
    ListEntry entry;
    entry.text = ListBoxText(GetDlgItem(dialog, IDC_LIST), index);
    if (kind == kLoginList) {
        entry.login = ListBoxText(GetDlgItem(dialog, IDC_LOGIN_LIST), index);
        entry.password = ListBoxText(GetDlgItem(dialog, IDC_PASSWORD_LIST), index);
    }
    return entry;
}

std::vector<ListEntry> ReadItemList(HWND dialog, ListKind kind, const ItemSources& sources) {
    // Look the boxes up once: GetDlgItem costs tens of microseconds under Wine, which adds up to
    // seconds on a list of 100,000 entries.
    HWND entryBox = GetDlgItem(dialog, IDC_LIST);
    HWND loginBox = GetDlgItem(dialog, IDC_LOGIN_LIST);
    HWND passwordBox = GetDlgItem(dialog, IDC_PASSWORD_LIST);
    int count = ListBoxCount(entryBox);
    std::vector<ListEntry> entries(size_t(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        ListEntry& entry = entries[size_t(i)];
        entry.text = ListBoxText(entryBox, i);
        if (kind == kLoginList) {
            entry.login = ListBoxText(loginBox, i);
            entry.password = ListBoxText(passwordBox, i);
        }
        const ListEntry* source = sources.Empty() ? nullptr : sources.Find(ItemSource(entryBox, i));
        if (source)
            KeepReadBytes(entry, *source);
    }
    return entries;
}

void InsertString(HWND box, int index, const std::string& text) {
    std::wstring wide = Widen(text);
    SendMessageW(box, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(wide.c_str()));
    WipeWide(wide);
}

void InsertEntry(HWND dialog, int index, const ListEntry& entry, ListKind kind) {
    InsertString(GetDlgItem(dialog, IDC_LIST), index, entry.text);
    if (kind == kLoginList) {
        InsertString(GetDlgItem(dialog, IDC_LOGIN_LIST), index, entry.login);
        InsertString(GetDlgItem(dialog, IDC_PASSWORD_LIST), index, entry.password);
    }
}

void DeleteEntry(HWND dialog, int index, ListKind kind) {
    int boxCount = kind == kLoginList ? 3 : 1;
    for (int b = 0; b < boxCount; ++b)
        SendMessageA(GetDlgItem(dialog, kBoxes[b]), LB_DELETESTRING, WPARAM(index), 0);
}

void SelectEntry(HWND dialog, int index) {
    HWND box = GetDlgItem(dialog, IDC_LIST);
    // The entry box takes several selections: clear them all, then select the one.
    SendMessageA(box, LB_SETSEL, FALSE, -1);
    SendMessageA(box, LB_SETSEL, TRUE, index);
    SendMessageA(box, LB_SETCARETINDEX, WPARAM(index), FALSE);
}
