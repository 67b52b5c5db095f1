#pragma once
// The dialog engine: makes a window from an in-memory dialog definition
// through the platform's dialog manager, keeps a little state for it (the
// event handler, the two icons, the font), runs it modally and ends it.

#include <windows.h>

#include <cstdint>

#include "dialog_template.h"

// The main window event handler: (window, message, wParam, lParam) as the
// platform delivers them; non-zero = handled.
using MainWindowEventHandler = uint32_t (*)(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam);

// Creates the window hidden, with no parent and creation parameter 0, and
// records its font. Null when the platform cannot create it. Messages the
// window gets before the modal run attaches a handler (its creation-time
// WM_INITDIALOG and WM_SETFONT, its controls' WM_MEASUREITEM) get the
// platform's default dialog handling only.
HWND CreateDialogWindow(HINSTANCE instance, const DialogDefinition& definition);

// Loads the icon resource `iconName` of `instance` at 32 x 32 as the big and
// at 16 x 16 as the small icon. The window owns both from then on; they are
// destroyed after it. A size that does not load leaves that icon unset.
// Does nothing for a window the engine did not create.
void SetDialogIcon(HWND window, HINSTANCE instance, const char* iconName);

// The font the dialog manager made for the window; null for a window the
// engine did not create.
HFONT DialogFont(HWND window);

// Runs the window modally with the handler; returns when the window no longer exists.
void RunModal(HWND window, MainWindowEventHandler handler);

// Ends the main window: WM_CLOSE, then DestroyWindow. The result is kept for no one (always 0 here).
void EndMainWindow(HWND window, uint32_t result);
