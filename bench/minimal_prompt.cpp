// The yardstick for start-up time: a program that does nothing but ask a
// Yes/No question in a message box.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Minimal prompt.", "Minimal Prompt", MB_YESNO);
  return 0;
}
