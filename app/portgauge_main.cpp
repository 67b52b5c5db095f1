// Process entry: the component library is initialised around the main
// procedure, which creates the main window and runs it with the program's
// event handler; the process exits with the main procedure's result, 0.
#include <objbase.h>
#include <windows.h>

#include "dialog_engine.h"
#include "main_window.h"
#include "main_window_events.h"

namespace {

// CoInitialize for the thread while the object lives, CoUninitialize after.
// Their results are not examined: the program carries on either way.
class ScopedCoInitialize {
 public:
  ScopedCoInitialize() { static_cast<void>(CoInitialize(nullptr)); }
  ~ScopedCoInitialize() { CoUninitialize(); }
  ScopedCoInitialize(const ScopedCoInitialize&) = delete;
  ScopedCoInitialize& operator=(const ScopedCoInitialize&) = delete;
};

// Creates the main window and runs it modally with the program's event
// handler until it is destroyed. The arguments are the windowed program's
// standard four; none is read: the window is shown with SW_SHOW whatever the
// show command. Even a window that could not be created gets its two direct
// events: the job runs regardless, and its window operations fail without
// effect.
int MainProcedure(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = CreateMainWindow(instance);
  RunModal(window, HandleMainWindowEvent);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand) {
  const ScopedCoInitialize com;
  return MainProcedure(instance, previous, commandTail, showCommand);
}
