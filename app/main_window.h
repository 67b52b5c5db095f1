#pragma once
// The main window and the report list it holds.

#include <windows.h>

#include "report_list_control.h"

// The report list: rows kept in the order added, each with its text, drawn
// by the program at one fixed height; both scroll bars; notifications to the
// main window.
constexpr DWORD kReportListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_USETABSTOPS |
                                   LBS_HASSTRINGS | LBS_OWNERDRAWFIXED | LBS_NOTIFY;

// Creates the main window hidden and centred from its in-memory definition,
// gives it the program's icon and adds the empty report list. Null when the
// window cannot be created; a missing icon or list leaves the window without
// it.
HWND CreateMainWindow(HINSTANCE instance);
