// Pelmar's entry point: the one application object runs the program.
#include <windows.h>

#include "app/ListApp.h"

namespace {
CListApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return theApp.Main(instance); }
