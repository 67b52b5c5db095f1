// inspector.exe, as the run command uses it, beside a second copy of the
// program in the same prefix: it answers, reads and closes the windows of the
// process it is given and never those of the other.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>

#include "program_run.h"

namespace {

// Runs inspector.exe with the arguments, as the run command does: with no
// console, its output to a file. Its exit code (-1 when it did not end
// within a minute); what it wrote goes to the test's log.
long Inspect(const std::string& arguments) {
  char folder[MAX_PATH];
  char log[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "pgi", 0, log)) return -1;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE output = CreateFileA(log, GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
  long exitCode = -1;
  {
    RunningProgram inspector(WindowsPath(PORTGAUGE_INSPECTOR), arguments, -1, output);
    DWORD code = 0;
    if (inspector.WaitForExit(60000, &code)) exitCode = static_cast<long>(code);
  }  // ended, if it still runs, before its output is read
  CloseHandle(output);
  std::ifstream written(log, std::ios::binary);
  std::cout << "inspector " << arguments << ": exit " << exitCode << "\n"
            << std::string(std::istreambuf_iterator<char>(written), {});
  written.close();
  DeleteFileA(log);
  return exitCode;
}

TEST(Inspector, TouchesOnlyTheProcessItIsGiven) {
  ProgramRun mine(FixturePath("three_usb_devices.reg"));
  ProgramRun other(FixturePath("three_usb_devices.reg"));
  ASSERT_TRUE(mine.devices().ok() && other.devices().ok());
  ASSERT_NE(mine.Prompt(), nullptr);
  HWND otherPrompt = other.Prompt();
  ASSERT_NE(otherPrompt, nullptr);
  const std::string pid = std::to_string(mine.program().processId());

  EXPECT_EQ(Inspect("verdict yes " + pid), 0);
  HWND main = WaitForWindow(mine.program().processId(), kDialogClass, kMainWindowTitle, 20000, true);
  ASSERT_NE(main, nullptr) << "its own prompt was not answered";
  EXPECT_EQ(Inspect("report " + pid), 0);
  EXPECT_EQ(Inspect("close " + pid), 0);
  EXPECT_EQ(mine.ExitCode(), 0);

  // The other program's prompt is still up, unanswered, and nothing closed it.
  EXPECT_TRUE(IsWindow(otherPrompt) && IsWindowVisible(otherPrompt));
  EXPECT_EQ(FindProcessWindow(other.program().processId(), kDialogClass, kMainWindowTitle, true), nullptr);
  EXPECT_FALSE(other.program().HasExited());
  // Without a process there is nothing to touch: a usage error, the other program untouched.
  EXPECT_EQ(Inspect("close"), 2);
  EXPECT_EQ(Inspect("verdict yes 0"), 2);
  EXPECT_TRUE(IsWindow(otherPrompt) && IsWindowVisible(otherPrompt));
  AnswerMessageBox(otherPrompt, IDNO);
  EXPECT_EQ(other.ExitCode(), 0);
}

}  // namespace
