#pragma once
// The main window, the report list it holds, and the main procedure that
// creates and runs them.

#include <windows.h>

#include "report_list_control.h"

// Creates the main window hidden and centred from its in-memory definition,
// gives it the program's icon and adds the empty report list. Null when the
// window cannot be created; a missing icon or list leaves the window without
// it.
HWND CreateMainWindow(HINSTANCE instance);

// Creates the main window and runs it modally with the program's event
// handler (HandleMainWindowEvent) until it is destroyed. The arguments are
// the windowed program's standard four; none is read: the window is shown
// with SW_SHOW whatever the show command. Returns 0.
int MainProcedure(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand);
