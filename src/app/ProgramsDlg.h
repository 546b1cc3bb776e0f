// The Programs dialog of Options: lists the rules per program, adds, edits and deletes them, and offers a
// few suggested rules to add with one click.
#pragma once
#include <windows.h>

// Runs the dialog over the settings file's rules. OK writes the lines that were added, edited or deleted;
// every other line stays as it is. Cancel writes nothing.
void EditProgramRules(HWND owner);
