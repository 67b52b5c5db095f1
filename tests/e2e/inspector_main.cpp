// inspector.exe: the run command's hands and eyes on a display with nobody
// in front of it. Runs under Wine beside PortGauge.exe, and touches only the
// windows of the one process it is given.
//
//   inspector start EXE          starts EXE, prints "pid N" (its process id),
//                                waits for it and exits with its exit code
//   inspector devices            lists the USB devices the prefix holds
//   inspector verdict ANSWER PID waits for PID's verdict prompt, prints its
//                                caption and text, answers "yes" or "no"
//   inspector report PID         waits for PID's report window to be painted;
//                                prints its screen rectangle as
//                                "X Y WIDTH HEIGHT" and then its rows
//   inspector close PID          closes PID's report window with the system
//                                command
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "inspector.h"
#include "program_windows.h"
#include "scan_device_inventory.h"
#include "win32_device_setup.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

int StartProgram(const char* path) {
  RunningProgram program(path);
  if (!program.started()) {
    std::fprintf(stderr, "inspector: cannot start %s (error %lu)\n", path, GetLastError());
    return 1;
  }
  std::printf("pid %lu\n", program.processId());
  std::fflush(stdout);
  DWORD exitCode = 0;
  if (!program.WaitForExit(INFINITE, &exitCode)) return 1;
  return static_cast<int>(exitCode);
}

int ListDevices() {
  Win32DeviceSetup setup;
  InventoryTable table(1);
  const int32_t count = ScanDeviceInventory(setup, "USB", table);
  std::printf("%d USB device%s in this Wine prefix\n", count, count == 1 ? "" : "s");
  for (int32_t k = 0; k < count; ++k) std::printf("  %s\n", table[static_cast<size_t>(k)].Description.c_str());
  return 0;
}

int AnswerVerdict(const char* answer, DWORD processId) {
  const int button = std::strcmp(answer, "no") == 0 ? IDNO : IDYES;
  const char* caption = nullptr;
  HWND box = nullptr;
  const bool shown = WaitUntil(
      [&] {
        for (const char* verdict : {kUsb20Caption, kUsb11Caption}) {
          caption = verdict;
          if ((box = FindProcessWindow(processId, kDialogClass, caption, true)) != nullptr) return true;
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

int DescribeReport(DWORD processId) {
  HWND main = WaitForWindow(processId, kDialogClass, kMainWindowTitle, kTimeoutMs, true);
  HWND list = main ? GetDlgItem(main, kReportListId) : nullptr;
  if (!list || !WaitForPaintedWindow(main, list, kTimeoutMs)) {
    std::fprintf(stderr, "inspector: no painted report window appeared\n");
    return 1;
  }
  const RECT r = WindowRectangle(main);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  for (const std::string& row : ListRows(list)) std::printf("%s\n", row.c_str());
  return 0;
}

int CloseReport(DWORD processId) {
  HWND main = FindProcessWindow(processId, kDialogClass, kMainWindowTitle);
  if (!main) {
    std::fprintf(stderr, "inspector: no report window to close\n");
    return 1;
  }
  PostSystemCommand(main, SC_CLOSE);
  return 0;
}

// A process id as given on the command line; 0 (no process) for anything else.
DWORD ProcessId(const char* text) {
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 10);
  return end != text && *end == '\0' ? static_cast<DWORD>(id) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const DWORD processId = argc > 2 ? ProcessId(argv[argc - 1]) : 0;
  if (command == "start" && argc == 3) return StartProgram(argv[2]);
  if (command == "devices" && argc == 2) return ListDevices();
  if (command == "verdict" && argc == 4 && processId != 0) return AnswerVerdict(argv[2], processId);
  if (command == "report" && argc == 3 && processId != 0) return DescribeReport(processId);
  if (command == "close" && argc == 3 && processId != 0) return CloseReport(processId);
  std::fprintf(stderr, "usage: inspector start EXE | devices | verdict yes|no PID | report PID | close PID\n");
  return 2;
}
