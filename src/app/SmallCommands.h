// Help contents and Notepad: the way programs are started, replaceable by tests.
#pragma once
#include <windows.h>

using ProgramStarter = UINT(WINAPI*)(LPCSTR commandLine, UINT show);
// nullptr puts back WinExec.
void SetProgramStarter(ProgramStarter starter);
