// Moving entries up and down.
#include "app/ListDlg.h"

void CListDlg::ShowReorderMenu() {}
void CListDlg::OnListDoubleClick() {}
void CListDlg::OnMoveUp() {}
void CListDlg::OnMoveDown() {}
