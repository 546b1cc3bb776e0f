// The smallest useful dialog program: one dialog from a template, an OK button, nothing else. Pelmar's
// start-up time and working set are compared with it (bench/footprint.sh). Built with WITH_MANIFEST it
// carries Pelmar's manifest (common controls 6, DPI awareness); each WITH_<DLL> imports one more of the
// system DLLs Pelmar used to import, so that the cost of each one shows.
#include <windows.h>

#ifdef WITH_COMCTL32
#include <commctrl.h>
#endif
#ifdef WITH_COMDLG32
#include <commdlg.h>
#endif
#ifdef WITH_SHELL32
#include <shellapi.h>
#endif
#ifdef WITH_BCRYPT
#include <bcrypt.h>
#endif

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
    if (!instance) { // never: the calls are here to import their DLLs
#ifdef WITH_COMCTL32
        LoadIconMetric(nullptr, nullptr, 0, nullptr);
#endif
#ifdef WITH_COMDLG32
        GetOpenFileNameA(nullptr);
#endif
#ifdef WITH_SHELL32
        Shell_NotifyIconA(NIM_ADD, nullptr);
#endif
#ifdef WITH_BCRYPT
        BCryptGenRandom(nullptr, nullptr, 0, 0);
#endif
    }
    return int(DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, MinimalProc, 0));
}
