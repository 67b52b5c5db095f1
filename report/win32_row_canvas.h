#pragma once
// The row drawing's platform operations over the real user32 and gdi32, and
// the entry the main window calls for a draw request. Windows only.

#include <windows.h>

#include <cstdint>

#include "row_canvas.h"

class Win32RowCanvas final : public RowCanvas {
 public:
  std::uintptr_t GetSysColorBrush(int32_t index) override;
  int32_t FillRect(std::uintptr_t dc, const PixelRect* rect, std::uintptr_t brush) override;
  uint32_t GetSysColor(int32_t index) override;
  uint32_t SetBkColor(std::uintptr_t dc, uint32_t color) override;
  uint32_t SetTextColor(std::uintptr_t dc, uint32_t color) override;
  std::uintptr_t GetDlgItem(std::uintptr_t dialog, int32_t id) override;
  std::intptr_t SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) override;
  int32_t DrawTextA(std::uintptr_t dc, const char* text, int32_t count, PixelRect* rect, uint32_t format) override;
  bool DrawIconEx(std::uintptr_t dc, int32_t left, int32_t top, std::uintptr_t icon, int32_t width, int32_t height,
                  uint32_t stepIfAniCur, std::uintptr_t flickerFreeBrush, uint32_t flags) override;
};

// Paints a row for the main window's WM_DRAWITEM, given its wParam (the
// control id) and the DRAWITEMSTRUCT its lParam points at. Returns what the
// main window returns for the message: 1 when painted, 0 when not (also for
// a null record).
uint32_t DrawReportRowItem(HWND mainWindow, WPARAM controlId, const DRAWITEMSTRUCT* item);
