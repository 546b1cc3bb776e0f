// Copy: the selected entries' texts, joined by the separator, onto the clipboard.
#include "deliver/Copy.h"

#include <string>
#include <vector>

#include "common/Wipe.h"
#include "deliver/Clipboard.h"
#include "deliver/CopyText.h"
#include "deliver/DeliveryPlan.h"
#include "framework/WinApp.h"
#include "list/ItemList.h"

namespace {
const char* FailureText(ClipboardResult result) {
    switch (result) {
    case ClipboardResult::Busy: return "Clipboard not available";
    case ClipboardResult::NoMemory: return "Can't get memory!";
    default: return "Can't put the entries on the clipboard!";
    }
}
} // namespace

void CopySelectedEntries(HWND dialog, HWND list, int separatorMode, const ListModel& model, ListKind kind) {
    std::vector<size_t> selected = SelectedEntries(list, model, kMaxSelection);
    if (selected.empty())
        return;
    std::vector<std::string> texts;
    texts.reserve(selected.size());
    for (size_t index : selected)
        texts.push_back(model.Entries()[index].text);
    std::string text = ClipboardCopyText(texts, separatorMode);
    ClipboardResult result = PutTextOnClipboard(dialog, text, ClipboardBlockUnits(texts), kind != kPlainList);
    for (std::string& copied : texts)
        WipeString(copied);
    WipeString(text);
    if (result != ClipboardResult::Ok)
        AfxMessageBox(FailureText(result), MB_OK, dialog);
}
