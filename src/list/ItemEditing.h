// Add, Modify and Delete with the item dialog; every confirmed change is saved at once.
#pragma once
#include <windows.h>

#include "list/ListFiles.h"

// dialog: the window that holds the item list boxes.
void AddItem(HWND dialog, ListFiles& files);
void ModifyItem(HWND dialog, ListFiles& files);
void DeleteItem(HWND dialog, ListFiles& files);
