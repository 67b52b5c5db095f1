#include "report_window.h"

#include <cstdint>

#include "main_window.h"
#include "win32_row_canvas.h"

int ReportWindow::drawRequests = 0;
int ReportWindow::rowsPainted = 0;

namespace {

const char kWindowClass[] = "PortGaugeReportTestWindow";

LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    ++ReportWindow::drawRequests;
    const uint32_t painted = DrawReportRowItem(window, wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    if (painted) ++ReportWindow::rowsPainted;
    return static_cast<LRESULT>(painted);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ReportWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  registered = RegisterClassA(&windowClass) != 0;
}

}  // namespace

ReportWindow::ReportWindow(bool shown) {
  RegisterOnce();
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  window_ = CreateWindowExA(0, kWindowClass, "Report test", WS_OVERLAPPEDWINDOW, 40, 40, 640, 480, nullptr, nullptr,
                            instance, nullptr);
  list_ = CreateWindowExA(0, "LISTBOX", "", kReportListStyle, 8, 8, 560, 380, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kReportListId)), instance, nullptr);
  if (shown) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    PumpMessages();
  }
}

ReportWindow::~ReportWindow() {
  if (window_) DestroyWindow(window_);
  PumpMessages();
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
