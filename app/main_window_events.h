#pragma once
// The main window event handler the program runs its window with. The exe
// links exactly one definition of it.

#include <windows.h>

#include <cstdint>

// Gets every event of the main window the dialog engine passes on, as
// (window, message, wParam, lParam); returns non-zero for handled.
uint32_t HandleMainWindowEvent(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);
