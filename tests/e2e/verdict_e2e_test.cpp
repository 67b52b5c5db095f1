// The verdict prompt of the real program, read off the box, for device sets
// with and without a USB 2.0 controller; No ends the program unseen.
#include <gtest/gtest.h>

#include "program_run.h"

namespace {

TEST(Verdict, NoUsbDeviceReportsOlderPortAndNoEndsWithoutAWindow) {
  for (const char* fixture : {"empty.reg", "usb_class_no_devices.reg"}) {
    SCOPED_TRACE(fixture);
    ProgramRun run(FixturePath(fixture));
    ASSERT_TRUE(run.devices().ok()) << run.devices().error();
    ASSERT_TRUE(run.program().started());
    HWND prompt = run.Prompt();
    ASSERT_NE(prompt, nullptr) << "no verdict prompt";
    EXPECT_EQ(WindowText(prompt), kUsb11Caption);
    EXPECT_EQ(MessageBoxText(prompt), kUsb11Text);

    // The main window exists, hidden, while the prompt is up; it must never
    // show, not even for a moment: looked for every millisecond until the end.
    AnswerMessageBox(prompt, IDNO);
    bool everShown = false;
    const bool ended = WaitUntil(
        [&] {
          if (FindProcessWindow(run.program().processId(), kDialogClass, kMainWindowTitle, true)) everShown = true;
          return run.program().HasExited();
        },
        10000, 1);
    EXPECT_TRUE(ended) << "the program did not end after No";
    EXPECT_FALSE(everShown);
    EXPECT_EQ(run.ExitCode(), 0);
  }
}

TEST(Verdict, EnhancedControllerAmongOthersReportsUsb20) {
  ProgramRun run(FixturePath("three_usb_devices.reg"));
  ASSERT_TRUE(run.devices().ok()) << run.devices().error();
  HWND prompt = run.Prompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(WindowText(prompt), kUsb20Caption);
  EXPECT_EQ(MessageBoxText(prompt), kUsb20Text);
  AnswerMessageBox(prompt, IDNO);
  EXPECT_EQ(run.ExitCode(), 0);
}

TEST(Verdict, LookAlikesReportOlderPort) {
  ProgramRun run(FixturePath("look_alikes.reg"));
  ASSERT_TRUE(run.devices().ok()) << run.devices().error();
  HWND prompt = run.Prompt();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(WindowText(prompt), kUsb11Caption);
  EXPECT_EQ(MessageBoxText(prompt), kUsb11Text);
  HWND main = run.AnswerYes();
  ASSERT_NE(main, nullptr);
  // Every look-alike was read and listed; none of them counted.
  const std::vector<std::string> rows = ListRows(GetDlgItem(main, kReportListId));
  ASSERT_EQ(rows.size(), 2u + 7 * 4);
  EXPECT_EQ(rows[0], Row("USB DeviceCount: ", "4"));
  EXPECT_EQ(rows[2 + 3], Row("Description: ", "usb 2.0 hub"));
  EXPECT_EQ(rows[2 + 7 * 3 + 2], Row("FriendlyName: ", "Generic USB 2.0 Hub"));
  EXPECT_EQ(rows[2 + 7 * 3 + 3], Row("Description: ", "None"));
  PostSystemCommand(main, SC_CLOSE);
  EXPECT_EQ(run.ExitCode(), 0);
}

}  // namespace
