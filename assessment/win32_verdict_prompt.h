#pragma once
// The verdict prompt's platform operations over the real user32, bound to
// the main window. Windows only.

#include <windows.h>

#include "verdict_prompt.h"

// How the main window is ended: the dialog engine's own operation.
using EndMainWindowFunction = void (*)(HWND window, uint32_t result);

class Win32VerdictPrompt final : public VerdictPromptService {
 public:
  Win32VerdictPrompt(HWND mainWindow, EndMainWindowFunction endMainWindow)
      : mainWindow_(mainWindow), endMainWindow_(endMainWindow) {}

  int32_t MessageBoxA(std::uintptr_t owner, const char* text, const char* caption, uint32_t type) override;
  void EndMainWindow(uint32_t result) override;

 private:
  HWND mainWindow_;
  EndMainWindowFunction endMainWindow_;
};
