// Finding the target's executable and window class, and the rules that apply to them.
#include "deliver/TargetProgram.h"

#include <string>

#include "framework/WideText.h"
#include "settings/Settings.h"

namespace {
// A process of another user, or with higher rights, refuses even this least of queries: no name then.
std::string ImagePathOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HANDLE handle = process ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process) : nullptr;
    if (!handle)
        return std::string();
    std::wstring path(32768, L'\0');
    DWORD size = DWORD(path.size());
    BOOL found = QueryFullProcessImageNameW(handle, 0, &path[0], &size);
    CloseHandle(handle);
    return found ? Narrow(path.data(), size) : std::string();
}

std::string ClassOf(HWND window) {
    wchar_t name[257] = {}; // class names are at most 256 characters
    int n = GetClassNameW(window, name, int(sizeof name / sizeof name[0]));
    return n > 0 ? Narrow(name, size_t(n)) : std::string();
}
} // namespace

RuleOverrides OverridesForWindow(HWND window) {
    HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!top)
        return RuleOverrides();
    return OverridesFor(ReadProgramRules(), ExeNameOf(ImagePathOf(top)), ClassOf(top));
}
