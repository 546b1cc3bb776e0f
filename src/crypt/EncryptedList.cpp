// Encrypted list files inside the program: the encrypted load and save, and the three commands.
#include "app/ListDlg.h"

bool CListDlg::LoadEncryptedText(const std::string&, const std::string&, std::string&, size_t&) {
    Message("Can't open encrypted lists yet.");
    return false;
}
bool CListDlg::SaveEncrypted(const std::string&, bool) { return false; }
void CListDlg::OnEncryptedNew() {}
void CListDlg::OnEncryptedOpen() {}
void CListDlg::OnEncryptedSaveAs() {}
