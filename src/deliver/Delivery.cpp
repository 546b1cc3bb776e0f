// The delivery engine: timer steps that type the dropped entries into the target, over the real input calls.
#include "app/ListDlg.h"

#include "deliver/DeliveryPlan.h"
#include "deliver/WindowsInput.h"
#include "list/ItemList.h"
#include "resource.h"

namespace {
DeliveryJob JobOf(const ListDlgState& s) {
    DeliveryJob job;
    job.count = s.drop.selectionCount;
    job.selection = s.drop.selection;
    job.position = s.drop.position;
    job.dropX = s.drop.dropPoint.x;
    job.dropY = s.drop.dropPoint.y;
    job.field = s.drop.fieldSelector;
    job.sendMode = s.sendMode;
    job.separatorMode = s.separatorMode;
    job.loginList = s.listKind == kLoginList;
    return job;
}

void KeepProgress(const DeliveryJob& job, ListDlgState& s) {
    s.drop.position = job.position;
    s.drop.dropPoint = {job.dropX, job.dropY};
    s.sendMode = job.sendMode;
}

int BoxOfField(int field) {
    if (field == kLoginField)
        return IDC_LOGIN_LIST;
    return field == kPasswordField ? IDC_PASSWORD_LIST : IDC_LIST;
}
} // namespace

void CListDlg::OnClickStep() {
    WindowsInput input(m_hWnd);
    ClickStep(JobOf(m_state), input);
}

void CListDlg::OnSendStep() {
    WindowsInput input(m_hWnd);
    DeliveryJob job = JobOf(m_state);
    EntrySource source = [this](int index, int field, std::string& text) {
        HWND box = GetDlgItem(BoxOfField(field));
        if (!ListBoxHasEntry(box, index))
            return false;
        text = ListBoxText(box, index);
        return true;
    };
    NextStep next = SendStep(job, source, input);
    KeepProgress(job, m_state);
    SetTimer(m_hWnd, next.timer, next.delay, nullptr);
}

void CListDlg::OnAfterEntryStep() {
    WindowsInput input(m_hWnd);
    DeliveryJob job = JobOf(m_state);
    NextStep next = AfterEntryStep(job, input);
    KeepProgress(job, m_state);
    SetTimer(m_hWnd, next.timer, next.delay, nullptr);
}

// Shown, not activated: the target keeps the keyboard.
void CListDlg::OnFinishStep() {
    RestoreFromTray(false);
}
