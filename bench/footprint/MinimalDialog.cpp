// The smallest useful dialog program: one dialog from a template, an OK button, nothing else. Pelmar's
// start-up time and working set are compared with it (bench/footprint.sh). Built with WITH_PELMAR_DLLS,
// it also loads the system DLLs and the manifest that Pelmar loads, so the rest is Pelmar's own.
#include <windows.h>

#ifdef WITH_PELMAR_DLLS
#include <commdlg.h>
#include <shellapi.h>
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
#ifdef WITH_PELMAR_DLLS
    if (!instance) { // never: the calls are here to import their DLLs
        GetOpenFileNameA(nullptr);
        Shell_NotifyIconA(NIM_ADD, nullptr);
    }
#endif
    return int(DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, MinimalProc, 0));
}
