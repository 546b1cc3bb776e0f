// Which program a delivery goes to, as the rules per program name it.
#pragma once
#include <windows.h>

#include "settings/ProgramRules.h"

// The rules' overrides for the program that owns window (any window of it: its top-level window counts).
// A process Pelmar may not query has no executable name; its window class still counts.
RuleOverrides OverridesForWindow(HWND window);
