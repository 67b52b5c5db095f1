// A main window event handler that handles nothing: the window opens empty
// and the dialog engine closes it on the close box. It stands in until the
// program's own handler is linked instead.
#include "main_window_events.h"

uint32_t HandleMainWindowEvent(HWND, uint32_t, uint32_t, uint32_t) { return 0; }
