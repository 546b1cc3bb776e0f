// The ANSI code page that pelmar-cli reads ANSI lists in: Windows-1252 unless --codepage names another.
#pragma once
#include "list/TextEncoding.h"

constexpr unsigned kDefaultCliCodePage = 1252;

// Code page N, or nullptr when this system cannot convert it. Lives until the program ends.
const AnsiCodePage* OpenCodePage(unsigned number);
