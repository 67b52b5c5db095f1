// Process entry: the component library is initialised around the main
// procedure, and the process exits with the main procedure's result, 0.
#include <windows.h>

#include "main_window.h"
#include "win32_handles.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand) {
  const ComponentLibrary componentLibrary;
  return MainProcedure(instance, previous, commandTail, showCommand);
}
