#include "program_run.h"

const char kUsb20Text[] = "This computer has a USB 2.0 port.\r\n\r\nWould you like to see info about the USB drivers?";
const char kUsb11Text[] =
    "This computer has an older USB 1.1 port.\r\n\r\nWould you like to see infor about the USB drivers?";
const char kUsbGuid[] = "{36FC9E60-C465-11CF-8056-444553540000}";
const std::string kSeparator(75, '-');

namespace {

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

}  // namespace

ProgramRun::ProgramRun(const std::string& fixturePath, const std::string& commandTail, int showCommand)
    : devices_(fixturePath), program_(WindowsPath(PORTGAUGE_EXE), commandTail, showCommand) {}

HWND ProgramRun::Prompt() { return WaitForWindow(program_.processId(), kDialogClass, nullptr, kWindowTimeoutMs, true); }

HWND ProgramRun::AnswerYes() {
  HWND prompt = Prompt();
  if (!prompt) return nullptr;
  AnswerMessageBox(prompt, IDYES);
  HWND main = WaitForWindow(program_.processId(), kDialogClass, kMainWindowTitle, kWindowTimeoutMs, true);
  if (main && !WaitForPaintedWindow(main, GetDlgItem(main, kReportListId), kWindowTimeoutMs)) return nullptr;
  return main;
}

long ProgramRun::ExitCode() {
  DWORD code = 0;
  return program_.WaitForExit(kExitTimeoutMs, &code) ? static_cast<long>(code) : -1;
}

std::string Row(const char* label, const std::string& value) { return std::string(label) + "\t" + value; }

std::vector<std::string> DeviceBlock(const std::string& friendlyName, const std::string& description,
                                     const std::string& driver, const std::string& portName) {
  return {Row("Class: ", "USB"),
          Row("Guid: ", kUsbGuid),
          Row("FriendlyName: ", friendlyName),
          Row("Description: ", description),
          Row("Driver: ", driver),
          Row("PortName: ", portName),
          kSeparator};
}

POINT RowPoint(HWND list, int row, int x) {
  const POINT origin = ClientOrigin(list);
  return {origin.x + x, origin.y + (row - ListTopIndex(list)) * kRowHeight + kRowHeight / 2};
}

COLORREF RowPixel(HWND list, int row, int x) {
  const POINT p = RowPoint(list, row, x);
  return ScreenPixel(p.x, p.y);
}

COLORREF SettledRowPixel(HWND list, int row, int x, COLORREF expected) {
  COLORREF pixel = RowPixel(list, row, x);
  WaitUntil([&] { return (pixel = RowPixel(list, row, x)) == expected; });
  return pixel;
}

int FirstInk(HWND list, int row, int from, int to, COLORREF background) {
  const POINT origin = ClientOrigin(list);
  const int top = origin.y + (row - ListTopIndex(list)) * kRowHeight;
  HDC screen = GetDC(nullptr);
  int found = -1;
  for (int x = from; x < to && found < 0; ++x) {
    for (int y = top + 1; y < top + kRowHeight - 1; ++y) {
      if (GetPixel(screen, origin.x + x, y) != background) {
        found = x;
        break;
      }
    }
  }
  ReleaseDC(nullptr, screen);
  return found;
}
