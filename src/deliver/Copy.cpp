// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#include "deliver/Copy.h"

#include <string>
#include <vector>

#include "deliver/Clipboard.h"
#include "deliver/CopyText.h"
#include "deliver/DeliveryPlan.h"
#include "framework/WinApp.h"
#include "list/ItemList.h"
#include "resource.h"

void CopySelectedEntries(HWND dialog, int separatorMode) {
    HWND list = GetDlgItem(dialog, IDC_LIST);
    std::vector<std::string> texts;
    for (int index : SelectedIndices(list, kMaxSelection))
        texts.push_back(ListBoxText(list, index));
    if (texts.empty())
        return;
    std::string text = ClipboardCopyText(texts, separatorMode);
    ClipboardResult result = PutTextOnClipboard(dialog, text, ClipboardBlockSize(texts));
    if (result != ClipboardResult::Ok && result != ClipboardResult::Refused)
        AfxMessageBox("Clipboard not available", MB_OK);
}
