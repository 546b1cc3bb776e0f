// The Options dialog.
#include "app/ListDlg.h"

void CListDlg::OnOptions() {}
