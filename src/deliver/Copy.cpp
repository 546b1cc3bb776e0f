// Copy to clipboard.
#include "app/ListDlg.h"

void CListDlg::OnCopy() {}
