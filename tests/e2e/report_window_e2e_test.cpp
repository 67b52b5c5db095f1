// The report window of the real program after the answer Yes: where it
// shows, what it lists, how it follows resizes, keys and the close command,
// and how its rows are painted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "program_run.h"

namespace {

// The three devices of three_usb_devices.reg, as the report lists them.
std::vector<std::string> ThreeDeviceReport() {
  std::vector<std::string> rows = {Row("USB DeviceCount: ", "3"), kSeparator};
  for (const auto& block :
       {DeviceBlock("Universal Host Controller A", "Standard Universal PCI to USB Host Controller",
                    std::string(kUsbGuid) + "\\0000", "COM7"),
        DeviceBlock("None", "Standard Enhanced PCI to USB Host Controller", std::string(kUsbGuid) + "\\0001", "None"),
        DeviceBlock("None", "USB Root Hub", std::string(kUsbGuid) + "\\0002", "None")})
    rows.insert(rows.end(), block.begin(), block.end());
  return rows;
}

void ExpectCentredOnWorkArea(HWND window) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT frame = WindowRectangle(window);
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
}

// Where the list misses the client area, or "" when it fills it: same
// origin and width, and a height short of it by less than one row, as the
// list keeps to whole rows.
std::string ListMisfit(HWND main, HWND list) {
  const RECT client = ClientRectangle(main);
  const RECT frame = WindowRectangle(list);
  const POINT origin = ClientOrigin(main);
  const int shortBy = client.bottom - (frame.bottom - frame.top);
  if (frame.left == origin.x && frame.top == origin.y && frame.right - frame.left == client.right && shortBy >= 0 &&
      shortBy < kRowHeight)
    return "";
  return "list " + std::to_string(frame.right - frame.left) + "x" + std::to_string(frame.bottom - frame.top) + " at (" +
         std::to_string(frame.left) + "," + std::to_string(frame.top) + "), client area " +
         std::to_string(client.right) + "x" + std::to_string(client.bottom) + " at (" + std::to_string(origin.x) + "," +
         std::to_string(origin.y) + ")";
}

// Polls, as the program handles size changes in its own time.
void ExpectListFillsClientArea(HWND main, HWND list) {
  EXPECT_TRUE(WaitUntil([&] { return ListMisfit(main, list).empty(); })) << ListMisfit(main, list);
}

TEST(ReportWindow, YesShowsTheCentredWindowWithEveryRow) {
  ProgramRun run(FixturePath("three_usb_devices.reg"));
  ASSERT_TRUE(run.devices().ok()) << run.devices().error();
  HWND main = run.AnswerYes();
  ASSERT_NE(main, nullptr) << "no report window";
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(WindowText(main), kMainWindowTitle);
  ExpectCentredOnWorkArea(main);

  HWND list = GetDlgItem(main, kReportListId);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListRows(list), ThreeDeviceReport());
  EXPECT_EQ(ListItemHeight(list), kRowHeight);
  ExpectListFillsClientArea(main, list);

  PostSystemCommand(main, SC_CLOSE);
  EXPECT_EQ(run.ExitCode(), 0);
}

TEST(ReportWindow, ShowsAsMadeWhateverTheStartUpShowCommandAndArguments) {
  struct StartCase {
    const char* Name;
    const char* CommandTail;
    int ShowCommand;
  };
  const StartCase cases[] = {
      {"started minimised", "", SW_SHOWMINIMIZED},
      {"started maximised", "", SW_SHOWMAXIMIZED},
      {"started hidden", "", SW_HIDE},
      {"with arguments", "/x --help \"two words\"", -1},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ProgramRun run(FixturePath("three_usb_devices.reg"), c.CommandTail, c.ShowCommand);
    HWND main = run.AnswerYes();
    ASSERT_NE(main, nullptr) << "no visible report window";
    EXPECT_FALSE(IsIconic(main));
    EXPECT_FALSE(IsZoomed(main));
    const RECT client = ClientRectangle(main);
    EXPECT_EQ(client.right, 525);  // 350 x 300 dialog units of MS Sans Serif 8
    EXPECT_EQ(client.bottom, 488);
    ExpectCentredOnWorkArea(main);
    EXPECT_EQ(ListRows(GetDlgItem(main, kReportListId)).size(), 23u);
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(run.ExitCode(), 0);
  }
}

TEST(ReportWindow, ListFollowsEveryResizeMinimiseAndRestore) {
  ProgramRun run(FixturePath("three_usb_devices.reg"));
  HWND main = run.AnswerYes();
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kReportListId);
  const SIZE sizes[] = {{700, 600}, {300, 200}, {200, 120}, {900, 300}, {130, 60}};
  for (const SIZE& size : sizes) {
    SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
    SetWindowPos(main, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectListFillsClientArea(main, list);
  }

  PostSystemCommand(main, SC_MINIMIZE);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
  // A minimised window's client area is empty, and so is the list fitted to it.
  EXPECT_TRUE(WaitUntil([&] {
    const RECT minimised = WindowRectangle(list);
    return minimised.right == minimised.left;
  }));
  PostSystemCommand(main, SC_RESTORE);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main); }));
  {
    SCOPED_TRACE("restored");
    ExpectListFillsClientArea(main, list);
  }
  PostSystemCommand(main, SC_CLOSE);
  EXPECT_EQ(run.ExitCode(), 0);
}

// What leaves the window open and what ends the program (exit code 0).
TEST(ReportWindow, OnlyEscapeAndTheCloseCommandsEndIt) {
  using Action = std::function<void(HWND main, HWND list, DWORD thread)>;
  struct Case {
    const char* Name;
    Action KeepsItOpen;
    Action EndsIt;
  };
  const Case cases[] = {
      {"Enter, then Escape", [](HWND, HWND list, DWORD) { PostKey(list, VK_RETURN); },
       [](HWND, HWND list, DWORD) { PostKey(list, VK_ESCAPE); }},
      {"a quit message, then the system close command", [](HWND, HWND, DWORD thread) { PostQuitToThread(thread); },
       [](HWND main, HWND, DWORD) { PostSystemCommand(main, SC_CLOSE); }},
      {"arrow keys, then Alt+F4", [](HWND, HWND list, DWORD) { PostKey(list, VK_DOWN); },
       [](HWND, HWND list, DWORD) { PostAltKey(list, VK_F4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ProgramRun run(FixturePath("three_usb_devices.reg"));
    HWND main = run.AnswerYes();
    ASSERT_NE(main, nullptr);
    HWND list = GetDlgItem(main, kReportListId);
    c.KeepsItOpen(main, list, run.program().threadId());
    ASSERT_TRUE(WaitForPostedMessagesTaken(list, 10000));
    EXPECT_FALSE(run.program().HasExited());
    EXPECT_TRUE(IsWindow(main) && IsWindowVisible(main));
    c.EndsIt(main, list, run.program().threadId());
    EXPECT_EQ(run.ExitCode(), 0);
  }
}

TEST(ReportWindow, RowsArePaintedInTwoColumnsAndSelectionIsHighlighted) {
  ProgramRun run(FixturePath("three_usb_devices.reg"));
  HWND main = run.AnswerYes();
  ASSERT_NE(main, nullptr);
  HWND list = GetDlgItem(main, kReportListId);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  ASSERT_NE(window, highlight);

  // Row 3 is "Guid: " TAB the GUID: label from x = 35, value from x = 110.
  EXPECT_EQ(RowPixel(list, 3, 2), window);
  const int label = FirstInk(list, 3, 0, 100, window);
  EXPECT_GE(label, 35);
  EXPECT_LE(label, 38);
  const int value = FirstInk(list, 3, 75, 200, window);
  EXPECT_GE(value, 110);
  EXPECT_LE(value, 113);

  // A click selects a row; the keyboard moves the selection on.
  const POINT row4 = RowPoint(list, 4, 200);
  const POINT listOrigin = ClientOrigin(list);
  PostClick(list, row4.x - listOrigin.x, row4.y - listOrigin.y);
  EXPECT_EQ(SettledRowPixel(list, 4, 2, highlight), highlight);
  EXPECT_EQ(RowPixel(list, 5, 2), window);
  PostKey(list, VK_DOWN);
  EXPECT_EQ(SettledRowPixel(list, 5, 2, highlight), highlight);
  EXPECT_EQ(SettledRowPixel(list, 4, 2, window), window);

  PostSystemCommand(main, SC_CLOSE);
  EXPECT_EQ(run.ExitCode(), 0);
}

}  // namespace
