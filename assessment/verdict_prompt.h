#pragma once
// The verdict prompt: tells the user whether a USB 2.0 port was found and
// asks whether to show the report window.

#include <cstdint>

// The platform's message box style and answers, under names that do not
// clash with the platform headers' macros.
constexpr uint32_t kMbYesNo = 0x4;
constexpr int32_t kIdYes = 6;
constexpr int32_t kIdNo = 7;

// What the prompt needs from the platform: the message box, with the
// platform's own name and arguments, and ending the main window.
class VerdictPromptService {
 public:
  virtual ~VerdictPromptService() = default;

  // Shows a modal message box and returns the button pressed, or 0 when the
  // box could not be shown.
  virtual int32_t MessageBoxA(std::uintptr_t owner, const char* text, const char* caption, uint32_t type) = 0;

  // Ends the main window with `result`; the window is then never shown.
  virtual void EndMainWindow(uint32_t result) = 0;
};

// Shows the verdict for `usb20Flag` (exactly 1: a USB 2.0 port; anything
// else: an older USB 1.1 port) in an ownerless Yes/No box. The answer No ends
// the main window with result 0; Yes, or a box that failed, leaves it to be
// shown.
void ShowVerdictPrompt(VerdictPromptService& service, int32_t usb20Flag);
