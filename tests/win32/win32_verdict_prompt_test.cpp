// The verdict prompt over the real MessageBoxA: a helper thread finds the
// box by its caption, reads it and answers it, as a user would.
#include "win32_verdict_prompt.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "inspector.h"

namespace {

// What the answering thread saw of the box.
struct BoxSeen {
  const char* Caption = nullptr;
  WPARAM Answer = 0;  // the button it presses
  bool Found = false;
  std::string Text;
  HWND Owner = nullptr;
  bool HasYes = false;
  bool HasNo = false;
  bool HasCancel = false;
};

DWORD WINAPI AnswerBox(void* parameter) {
  BoxSeen& seen = *static_cast<BoxSeen*>(parameter);
  const DWORD process = GetCurrentProcessId();
  HWND box = WaitForWindow(process, "#32770", seen.Caption, 5000, true);
  if (!box) {
    // A box with any other caption is closed unread, so the case fails
    // instead of waiting for ever.
    if (HWND other = FindProcessWindow(process, "#32770", nullptr, true)) AnswerMessageBox(other, IDYES);
    return 0;
  }
  seen.Found = true;
  seen.Text = MessageBoxText(box);
  seen.Owner = GetWindow(box, GW_OWNER);
  seen.HasYes = GetDlgItem(box, IDYES) != nullptr;
  seen.HasNo = GetDlgItem(box, IDNO) != nullptr;
  seen.HasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
  AnswerMessageBox(box, static_cast<int>(seen.Answer));
  return 0;
}

// Stands in for the dialog engine's end of the main window.
HWND endedWindow = nullptr;
uint32_t endedResult = 0xFFFFFFFF;
void EndTestWindow(HWND window, uint32_t result) {
  endedWindow = window;
  endedResult = result;
  DestroyWindow(window);
}

// Shows the prompt for `flag` while the helper thread answers `answer`.
BoxSeen ShowAndAnswer(HWND mainWindow, int32_t flag, const char* caption, WPARAM answer) {
  BoxSeen seen;
  seen.Caption = caption;
  seen.Answer = answer;
  endedWindow = nullptr;
  endedResult = 0xFFFFFFFF;
  HANDLE thread = CreateThread(nullptr, 0, AnswerBox, &seen, 0, nullptr);
  Win32VerdictPrompt prompt(mainWindow, EndTestWindow);
  ShowVerdictPrompt(prompt, flag);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return seen;
}

// A hidden top-level window, as the main window is while the prompt shows.
HWND CreateHiddenWindow() {
  return CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(Win32VerdictPrompt, NoEndsTheMainWindowWithResult0) {
  HWND window = CreateHiddenWindow();
  ASSERT_TRUE(window);
  const BoxSeen seen = ShowAndAnswer(window, 1, "Has USB 2.0 Port", IDNO);
  ASSERT_TRUE(seen.Found);
  EXPECT_EQ(seen.Text, "This computer has a USB 2.0 port.\r\n\r\nWould you like to see info about the USB drivers?");
  EXPECT_EQ(seen.Owner, nullptr);
  EXPECT_TRUE(seen.HasYes);
  EXPECT_TRUE(seen.HasNo);
  EXPECT_FALSE(seen.HasCancel);
  EXPECT_EQ(endedWindow, window);
  EXPECT_EQ(endedResult, 0u);
  EXPECT_FALSE(IsWindow(window));
}

TEST(Win32VerdictPrompt, YesLeavesTheMainWindow) {
  HWND window = CreateHiddenWindow();
  ASSERT_TRUE(window);
  const BoxSeen seen = ShowAndAnswer(window, 0, "Has USB 1.1 Port", IDYES);
  ASSERT_TRUE(seen.Found);
  EXPECT_EQ(seen.Text,
            "This computer has an older USB 1.1 port.\r\n\r\nWould you like to see infor about the USB drivers?");
  EXPECT_EQ(seen.Owner, nullptr);
  EXPECT_EQ(endedWindow, nullptr);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  DestroyWindow(window);
}

}  // namespace
