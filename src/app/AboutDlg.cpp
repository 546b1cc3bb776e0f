// The About box.
#include "app/ListDlg.h"
#include "framework/Wnd.h"
#include "resource.h"

void CListDlg::OnAbout() {
    CDialog about(IDD_ABOUTBOX);
    about.DoModal();
}
