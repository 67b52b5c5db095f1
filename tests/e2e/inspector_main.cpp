// inspector.exe: the run command's hands and eyes on a display with nobody
// in front of it. Runs under Wine beside PortGauge.exe.
//
//   inspector devices        lists the USB devices the prefix holds
//   inspector verdict ANSWER waits for the verdict prompt, prints its caption
//                            and text, answers "yes" or "no"
//   inspector report         waits for the report window; prints its screen
//                            rectangle as "X Y WIDTH HEIGHT" and then its rows
//   inspector close          closes the report window with the system command
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "inspector.h"
#include "program_windows.h"
#include "scan_device_inventory.h"
#include "win32_device_setup.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

int ListDevices() {
  Win32DeviceSetup setup;
  InventoryTable table(1);
  const int32_t count = ScanDeviceInventory(setup, "USB", table);
  std::printf("%d USB device%s in this Wine prefix\n", count, count == 1 ? "" : "s");
  for (int32_t k = 0; k < count; ++k) std::printf("  %s\n", table[static_cast<size_t>(k)].Description.c_str());
  return 0;
}

int AnswerVerdict(const char* answer) {
  const int button = std::strcmp(answer, "no") == 0 ? IDNO : IDYES;
  const char* caption = nullptr;
  HWND box = nullptr;
  const bool shown = WaitUntil(
      [&] {
        for (const char* verdict : {kUsb20Caption, kUsb11Caption}) {
          caption = verdict;
          if ((box = FindProcessWindow(0, kDialogClass, caption, true)) != nullptr) return true;
        }
        return false;
      },
      kTimeoutMs);
  if (!shown) {
    std::fprintf(stderr, "inspector: no verdict prompt appeared\n");
    return 1;
  }
  std::printf("Caption: %s\nText:\n%s\n", caption, MessageBoxText(box).c_str());
  AnswerMessageBox(box, button);
  std::printf("Answered: %s\n", button == IDYES ? "Yes" : "No");
  return 0;
}

int DescribeReport() {
  HWND main = WaitForWindow(0, kDialogClass, kMainWindowTitle, kTimeoutMs, true);
  if (!main) {
    std::fprintf(stderr, "inspector: no report window appeared\n");
    return 1;
  }
  Sleep(300);  // let the rows be painted
  const RECT r = WindowRectangle(main);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  for (const std::string& row : ListRows(GetDlgItem(main, kReportListId))) std::printf("%s\n", row.c_str());
  return 0;
}

int CloseReport() {
  HWND main = FindProcessWindow(0, kDialogClass, kMainWindowTitle);
  if (!main) return 1;
  PostSystemCommand(main, SC_CLOSE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "devices") return ListDevices();
  if (command == "verdict" && argc > 2) return AnswerVerdict(argv[2]);
  if (command == "report") return DescribeReport();
  if (command == "close") return CloseReport();
  std::fprintf(stderr, "usage: inspector devices | verdict yes|no | report | close\n");
  return 2;
}
