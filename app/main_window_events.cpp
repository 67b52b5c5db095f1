// The main window event handler: the whole job runs in its initialisation
// event; afterwards it keeps the report list fitted to the window, ends the
// window on Escape and paints the list's rows.
#include "main_window_events.h"

#include <string>

#include "dialog_engine.h"
#include "inventory_table.h"
#include "report_list.h"
#include "scan_device_inventory.h"
#include "usb20_rule.h"
#include "win32_device_setup.h"
#include "win32_report_list.h"
#include "win32_row_canvas.h"
#include "win32_verdict_prompt.h"

namespace {

// The setup classes the program looks at.
const char kUsbClassList[] = "USB";

// Scans, fills the report list and asks the verdict, while the window is
// still hidden. The class list and the inventory table live only for this
// call; afterwards the report list holds the report. On the answer No the
// prompt ends the window, which is then never shown.
void OnInitDialog(HWND window) {
  const std::uintptr_t mainWindow = reinterpret_cast<std::uintptr_t>(window);
  Win32ReportList reportList;
  PrepareReportList(reportList, mainWindow);

  const std::string classList = kUsbClassList;
  InventoryTable inventoryTable(1);  // the scan expects one empty entry
  gUsb20Flag = 0;
  Win32DeviceSetup deviceSetup;
  const int32_t deviceCount = ScanDeviceInventory(deviceSetup, classList, inventoryTable);
  FillReportList(reportList, mainWindow, inventoryTable, deviceCount);
  Win32VerdictPrompt verdictPrompt(window, EndMainWindow);
  ShowVerdictPrompt(verdictPrompt, gUsb20Flag);
}

// The report list covers the whole client area, at every size.
void OnSize(int width, int height) { MoveWindow(reinterpret_cast<HWND>(gReportListHandle), 0, 0, width, height, TRUE); }

// Escape (command 2, whatever the notification code) ends the window.
void OnCommand(HWND window, int commandId) {
  if (commandId == IDCANCEL) EndMainWindow(window, 0);
}

}  // namespace

uint32_t HandleMainWindowEvent(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      return DrawReportRowItem(window, wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    default:
      return 0;
  }
}
