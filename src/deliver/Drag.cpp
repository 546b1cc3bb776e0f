// The drag gesture and the drop.
#include "app/ListDlg.h"

void CListDlg::OnLButtonDown(POINT) {}
bool CListDlg::OnLButtonUp(POINT) { return false; }
