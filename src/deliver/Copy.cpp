// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#include <cstring>

#include "app/ListDlg.h"
#include "deliver/CopyText.h"
#include "framework/WinApp.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
// The clipboard takes over the block on success; otherwise it is ours to free.
bool PutOnClipboard(HWND owner, const std::string& text, size_t blockSize) {
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, blockSize);
    if (!block)
        return false;
    char* bytes = static_cast<char*>(GlobalLock(block));
    if (!bytes) {
        GlobalFree(block);
        return false;
    }
    bytes[blockSize - 1] = '\0';
    if (!OpenClipboard(owner)) {
        GlobalUnlock(block);
        GlobalFree(block);
        return false;
    }
    memcpy(bytes, text.c_str(), text.size() + 1);
    EmptyClipboard();
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block))
        GlobalFree(block);
    CloseClipboard();
    return true;
}
} // namespace

void CListDlg::OnCopy() {
    HWND list = GetDlgItem(IDC_LIST);
    std::vector<std::string> texts;
    for (int index : SelectedIndices(list, kMaxDropEntries))
        texts.push_back(ListBoxText(list, index));
    if (texts.empty())
        return;
    std::string text = ClipboardCopyText(texts, m_state.separatorMode);
    if (!PutOnClipboard(m_hWnd, text, ClipboardBlockSize(texts)))
        AfxMessageBox("Clipboard not available", MB_OK);
}
