// New, Open, Load login file and the file dialog.
#include "app/ListDlg.h"

void CListDlg::OnFileNew() {}
void CListDlg::OnFileOpen() {}
void CListDlg::OnLoadLoginFile() {}
int CListDlg::ChooseListFile(const char*, bool, int) { return 0; }
