// Help contents and Notepad.
#include "app/ListDlg.h"

void CListDlg::OnHelpContents() {}
void CListDlg::OnNotepad() {}
