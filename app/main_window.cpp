#include "main_window.h"

#include "dialog_engine.h"
#include "resource.h"

namespace {

// The icon, asked for by name: "#" and the digits of its integer id.
constexpr char kIconName[] = "#102";
static_assert(IDI_PORTGAUGE == 102, "kIconName names the icon resource");

// Resizable, with caption, system menu, minimise and maximise boxes.
constexpr uint32_t kMainWindowStyle = WS_OVERLAPPEDWINDOW | DS_MODALFRAME;
static_assert(kMainWindowStyle == 0xCF0080, "main window style");

constexpr DialogDefinition kMainWindow = {
    "USB Port Driver Information",
    kCentred,
    kCentred,
    350,  // dialog units
    300,
    kMainWindowStyle,
    0,
    "MS Sans Serif",
    8,
};

static_assert(kReportListStyle == 0x503100D1, "report list style");

// The report list's place when created, in dialog units: (5, 5) to (345, 105).
// The first size event refits it to the client area before it is seen.
constexpr RECT kReportListArea = {5, 5, 345, 105};

// Adds the report list and gives it the window's font. Without the list the
// window runs on; the list operations then fail without effect.
void AddReportList(HWND window, HINSTANCE instance) {
  RECT area = kReportListArea;
  MapDialogRect(window, &area);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", kReportListStyle, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kReportListId)), instance, nullptr);
  if (list == nullptr) return;
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(window)), TRUE);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
  HWND window = CreateDialogWindow(instance, kMainWindow);
  if (window == nullptr) return nullptr;
  SetDialogIcon(window, instance, kIconName);
  AddReportList(window, instance);
  return window;
}
