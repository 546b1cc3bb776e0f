// The entry texts that deliveries and Copy send, read from the list boxes as UTF-8.
#pragma once
#include <windows.h>

#include <string>

// The UTF-8 text of a list box entry; empty for an index that names no entry.
std::string EntryText(HWND box, int index);
