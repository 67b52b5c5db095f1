#include "win32_verdict_prompt.h"

static_assert(kMbYesNo == MB_YESNO && kIdYes == IDYES && kIdNo == IDNO, "the prompt's constants are the platform's");

int32_t Win32VerdictPrompt::MessageBoxA(std::uintptr_t owner, const char* text, const char* caption, uint32_t type) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, type);
}

void Win32VerdictPrompt::EndMainWindow(uint32_t result) { endMainWindow_(mainWindow_, result); }
