// Moving entries up and down through a small popup menu beside the list.
#include "list/Reorder.h"

#include "framework/WinApp.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
// Moves the lowest selected entry past its neighbour in the view, and that neighbour's item to the other
// side of it, so the selection follows the entry without being set again. False when there is no
// selection or no neighbour that way.
bool SwapWithNeighbour(HWND list, int direction, ListModel& model, std::vector<ListEdit>& moves) {
    int selected = LowestSelectedIndex(list);
    if (selected < 0 || !model.MoveInView(size_t(selected), direction, moves))
        return false;
    SendMessageA(list, LB_DELETESTRING, WPARAM(selected + direction), 0);
    ShowItem(list, model, size_t(selected), false);
    return true;
}

void ShowReorderMenu(HWND dialog) {
    HMENU menu = LoadMenuA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_REORDER_MENU));
    if (!menu)
        return;
    HWND list = GetDlgItem(dialog, IDC_LIST);
    RECT rect;
    GetClientRect(list, &rect);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    // Right-aligned at the list's top left: the menu opens to the left of the list, not over it.
    // The chosen command arrives as WM_COMMAND once the menu has closed.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTALIGN, rect.left, rect.top, 0, dialog, nullptr);
    DestroyMenu(menu);
}
} // namespace

void OnListDoubleClick(HWND dialog, ListKind kind) {
    if (kind != kLoginList)
        ShowReorderMenu(dialog);
}

void MoveSelectedEntry(HWND dialog, int direction, ListFiles& files) {
    std::vector<ListEdit> moves;
    if (!SwapWithNeighbour(GetDlgItem(dialog, IDC_LIST), direction, files.Model(), moves))
        return;
    for (const ListEdit& move : moves)
        files.NoteMove(move);
    ShowReorderMenu(dialog);
}
