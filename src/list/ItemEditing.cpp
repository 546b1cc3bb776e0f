// Add, Modify and Delete with the item dialog.
#include "app/ListDlg.h"

void CListDlg::OnAddItem() {}
void CListDlg::OnModifyItem() {}
void CListDlg::OnDeleteItem() {}
