// The smallest useful dialog program: one dialog from a template, an OK button, nothing else. Pelmar's
// start-up time and working set are compared with it (bench/footprint.sh).
#include <windows.h>

namespace {

INT_PTR CALLBACK MinimalProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return int(DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, MinimalProc, 0));
}
