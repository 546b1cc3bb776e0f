// Saving list files.
#include "app/ListDlg.h"

void CListDlg::SaveList(int) {}
void CListDlg::OnFileSaveAs() {}
bool CListDlg::SaveTextFile(const std::string&) { return false; }
