// Odd device data from the platform: the program shows what the platform
// gave it, by the scan's rules, paints every row and ends cleanly.
#include <gtest/gtest.h>

#include "program_run.h"

namespace {

std::string Bytes(int first, int last) {
  std::string bytes;
  for (int b = first; b <= last; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

TEST(BadDeviceData, ShownAsThePlatformGaveItAndNothingBreaks) {
  ProgramRun run(FixturePath("bad_device_data.reg"));
  ASSERT_TRUE(run.devices().ok()) << run.devices().error();
  HWND prompt = run.Prompt();
  ASSERT_NE(prompt, nullptr);
  // The only "Enhanced" is in the description too long to be read.
  EXPECT_EQ(WindowText(prompt), kUsb11Caption);
  HWND main = run.AnswerYes();
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kReportListId);

  std::vector<std::string> expected = {Row("USB DeviceCount: ", "4"), kSeparator};
  for (const auto& block : {
           // 200 bytes do not fit the 128-byte buffer: left untouched, "None".
           DeviceBlock("None", "None", "None", "None"),
           // Present but empty: empty, not "None".
           DeviceBlock("None", "", "None", "None"),
           DeviceBlock(Bytes(0x80, 0xBF), "Generic USB Hub", Bytes(0xC0, 0xFF), "None"),
           // A port name stored as the number 0x34333231 reads as its bytes.
           DeviceBlock("Tom & Jerry && Co &", "R&D USB Hub", "None", "1234"),
       })
    expected.insert(expected.end(), block.begin(), block.end());
  EXPECT_EQ(ListRows(list), expected);

  // Every row painted, the ampersand rows included, selected and not.
  for (int step = 0; step < 2 * static_cast<int>(expected.size()); ++step) PostKey(list, VK_DOWN);
  PostKey(list, VK_HOME);
  PostKey(list, VK_END);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(SettledRowPixel(list, static_cast<int>(expected.size()) - 1, 2, highlight), highlight);
  EXPECT_FALSE(run.program().HasExited());
  PostSystemCommand(main, SC_CLOSE);
  EXPECT_EQ(run.ExitCode(), 0);
}

}  // namespace
