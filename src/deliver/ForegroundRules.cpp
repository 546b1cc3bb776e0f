// Which window in front counts as the one the user works in.
#include "deliver/ForegroundRules.h"

#include "common/Text.h"

namespace {
// The taskbars, the notification area (its overflow, and Wine's own tray window where no desktop
// environment shows icons), the desktop behind the icons and the task switchers.
const char* const kShellClasses[] = {
    "Shell_TrayWnd",
    "Shell_SecondaryTrayWnd",
    "NotifyIconOverflowWindow",
    "TopLevelWindowForOverflowXamlIsland",
    "__winex11_standalone_tray",
    "__winex11_tray_icon",
    "Progman",
    "WorkerW",
    "#32769",
    "MultitaskingViewFrame",
    "XamlExplorerHostIslandWindow",
    "ForegroundStaging",
};

bool IsShellClass(const std::string& className) {
    for (const char* shell : kShellClasses)
        if (EqualsIgnoreCase(className, shell))
            return true;
    return false;
}
} // namespace

bool IsUserWindow(const ForegroundFacts& facts) {
    return !facts.ownProcess && !facts.desktop && !facts.className.empty() && !IsShellClass(facts.className);
}

std::string TargetLostMessage(bool seen, const std::string& title) {
    if (!seen)
        return "Pelmar has not seen another window in front yet. Click in the window to type into, then "
               "come back and send again. Nothing was sent.";
    const std::string window =
        title.empty() ? std::string("The window used before Pelmar") : "The window \"" + title + "\"";
    return window + " is gone or could not be brought to the front. Nothing was sent.";
}
