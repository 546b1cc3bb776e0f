// The delivery engine: timer steps that type the dropped entries into the target.
#include "app/ListDlg.h"

void CListDlg::OnClickStep() {}
void CListDlg::OnSendStep() {}
void CListDlg::OnAfterEntryStep() {}
void CListDlg::OnFinishStep() {}
