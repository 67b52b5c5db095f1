// The main procedure, apart from the main window's definition so that code
// creating the window (the tests) need not link an event handler.
#include "dialog_engine.h"
#include "main_window.h"
#include "main_window_events.h"

int MainProcedure(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Even a window that could not be created gets its two direct events:
  // the job runs regardless, and its window operations fail without effect.
  HWND window = CreateMainWindow(instance);
  RunModal(window, HandleMainWindowEvent);
  return 0;
}
