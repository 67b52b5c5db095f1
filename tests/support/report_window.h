#pragma once
// A top-level test window holding one list made as the program makes its
// report list: class "LISTBOX", control id 101, the report list's style
// (owner-drawn fixed rows that keep their strings, both scroll bars). The
// window hands the list's draw requests to the row drawing, as the main
// window does. Windows only.

#include <windows.h>

class ReportWindow {
 public:
  // Hidden unless `shown`; the list's client area starts at its left edge.
  explicit ReportWindow(bool shown);
  ~ReportWindow();
  ReportWindow(const ReportWindow&) = delete;
  ReportWindow& operator=(const ReportWindow&) = delete;

  HWND window() const { return window_; }
  HWND list() const { return list_; }

  // Draw requests the window has passed on, and how many were painted.
  static int drawRequests;
  static int rowsPainted;

 private:
  HWND window_ = nullptr;
  HWND list_ = nullptr;
};

// Dispatches whatever is waiting in this thread's queue.
void PumpMessages();
