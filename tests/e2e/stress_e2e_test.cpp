// A thousand devices: every row is listed, the list scrolls to its end and
// paints it, and the program still ends cleanly.
#include <gtest/gtest.h>

#include <cstdio>

#include "program_run.h"

namespace {

// A device set of `count` USB devices, written to a temporary REGEDIT4 file.
std::string WriteManyDevices(int count) {
  char dir[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "pgd", 0, path);
  FILE* file = std::fopen(path, "wb");
  std::fprintf(file,
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\%s]\r\n"
               "\"Class\"=\"USB\"\r\n",
               kUsbGuid);
  for (int i = 0; i < count; ++i) {
    std::fprintf(file,
                 "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\USB\\VID_1234&PID_%04X\\6&%08X&0]\r\n"
                 "\"ClassGUID\"=\"%s\"\r\n"
                 "\"DeviceDesc\"=\"Generic USB Hub %d\"\r\n"
                 "\"Driver\"=\"%s\\\\%04d\"\r\n",
                 i, i, kUsbGuid, i, kUsbGuid, i);
  }
  std::fclose(file);
  return path;
}

TEST(Stress, ThousandDevicesScrollToTheEnd) {
  const std::string fixture = WriteManyDevices(1000);
  {
    ProgramRun run(fixture);
    ASSERT_TRUE(run.devices().ok()) << run.devices().error();
    HWND main = run.AnswerYes();
    ASSERT_NE(main, nullptr);
    HWND list = GetDlgItem(main, kReportListId);
    ASSERT_EQ(ListRowCount(list), 7002);
    // Each row read is a round trip to the program: the head and the tail will do.
    EXPECT_EQ(ListRows(list, 0, 4), (std::vector<std::string>{Row("USB DeviceCount: ", "1000"), kSeparator,
                                                              Row("Class: ", "USB"), Row("Guid: ", kUsbGuid)}));
    const std::vector<std::string> last = ListRows(list, 7002 - 7, 7);
    EXPECT_EQ(last[3], Row("Description: ", "Generic USB Hub 999"));
    EXPECT_EQ(last[4], Row("Driver: ", std::string(kUsbGuid) + "\\0999"));
    EXPECT_EQ(last[6], kSeparator);

    // The first key only selects the row with the focus (row 0); the
    // second takes the selection, and the view, to the end.
    PostKey(list, VK_END);
    PostKey(list, VK_END);
    const RECT client = ClientRectangle(list);
    const int lastPageTop = 7002 - client.bottom / kRowHeight;
    EXPECT_TRUE(WaitUntil([&] { return ListTopIndex(list) == lastPageTop; })) << ListTopIndex(list);
    EXPECT_EQ(SettledRowPixel(list, 7001, 2, GetSysColor(COLOR_HIGHLIGHT)), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(RowPixel(list, 7000, 2), GetSysColor(COLOR_WINDOW));
    // The last device's "Guid: " row is painted in its two columns.
    const int label = FirstInk(list, 6996, 0, 70, GetSysColor(COLOR_WINDOW));
    EXPECT_GE(label, 35);
    EXPECT_LE(label, 38);
    const int value = FirstInk(list, 6996, 70, 200, GetSysColor(COLOR_WINDOW));
    EXPECT_GE(value, 110);
    EXPECT_LE(value, 113);
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(run.ExitCode(), 0);
  }
  DeleteFileA(fixture.c_str());
}

}  // namespace
