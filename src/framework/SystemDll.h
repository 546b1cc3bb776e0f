// System DLLs that the start does not need (file dialogs, shell, cryptography) are loaded on first use:
// importing them made every start load them and the DLLs they pull in.
#pragma once
#include <windows.h>

#include <string>

// The DLL from the system folder, never from beside the program; loaded once and kept until the end.
// Null when the system has none.
inline HMODULE LoadSystemDll(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    return LoadLibraryW(path.c_str());
}

// A function of a system DLL, typed by the header's own declaration (decltype(&Function)); null when the
// DLL or the function is missing. Callers keep it in a static.
template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadSystemDll(dll);
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}
