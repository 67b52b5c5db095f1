#include "win32_row_canvas.h"

#include <cstddef>

#include "draw_report_row.h"

// The portable records are the platform's own, byte for byte.
static_assert(sizeof(PixelRect) == sizeof(RECT), "PixelRect matches RECT");
static_assert(offsetof(PixelRect, left) == offsetof(RECT, left) && offsetof(PixelRect, top) == offsetof(RECT, top) &&
                  offsetof(PixelRect, right) == offsetof(RECT, right) &&
                  offsetof(PixelRect, bottom) == offsetof(RECT, bottom),
              "PixelRect edges");
static_assert(kNoItem == static_cast<uint32_t>(-1) && kOdaDrawEntire == ODA_DRAWENTIRE && kOdaSelect == ODA_SELECT &&
                  kOdaFocus == ODA_FOCUS && kOdsSelected == ODS_SELECTED && kColorWindow == COLOR_WINDOW &&
                  kColorWindowText == COLOR_WINDOWTEXT && kColorHighlight == COLOR_HIGHLIGHT &&
                  kColorHighlightText == COLOR_HIGHLIGHTTEXT && kDtVCenter == DT_VCENTER &&
                  kDtSingleLine == DT_SINGLELINE && kDiNormal == DI_NORMAL,
              "the drawing's constants are the platform's");

namespace {

HDC AsDc(std::uintptr_t dc) { return reinterpret_cast<HDC>(dc); }

}  // namespace

std::uintptr_t Win32RowCanvas::GetSysColorBrush(int32_t index) {
  return reinterpret_cast<std::uintptr_t>(::GetSysColorBrush(index));
}

int32_t Win32RowCanvas::FillRect(std::uintptr_t dc, const PixelRect* rect, std::uintptr_t brush) {
  return ::FillRect(AsDc(dc), reinterpret_cast<const RECT*>(rect), reinterpret_cast<HBRUSH>(brush));
}

uint32_t Win32RowCanvas::GetSysColor(int32_t index) { return ::GetSysColor(index); }

uint32_t Win32RowCanvas::SetBkColor(std::uintptr_t dc, uint32_t color) { return ::SetBkColor(AsDc(dc), color); }

uint32_t Win32RowCanvas::SetTextColor(std::uintptr_t dc, uint32_t color) { return ::SetTextColor(AsDc(dc), color); }

std::uintptr_t Win32RowCanvas::GetDlgItem(std::uintptr_t dialog, int32_t id) {
  return reinterpret_cast<std::uintptr_t>(::GetDlgItem(reinterpret_cast<HWND>(dialog), id));
}

std::intptr_t Win32RowCanvas::SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
  return ::SendMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}

int32_t Win32RowCanvas::DrawTextA(std::uintptr_t dc, const char* text, int32_t count, PixelRect* rect,
                                  uint32_t format) {
  return ::DrawTextA(AsDc(dc), text, count, reinterpret_cast<RECT*>(rect), format);
}

bool Win32RowCanvas::DrawIconEx(std::uintptr_t dc, int32_t left, int32_t top, std::uintptr_t icon, int32_t width,
                                int32_t height, uint32_t stepIfAniCur, std::uintptr_t flickerFreeBrush,
                                uint32_t flags) {
  return ::DrawIconEx(AsDc(dc), left, top, reinterpret_cast<HICON>(icon), width, height, stepIfAniCur,
                      reinterpret_cast<HBRUSH>(flickerFreeBrush), flags) != FALSE;
}

uint32_t DrawReportRowItem(HWND mainWindow, WPARAM controlId, const DRAWITEMSTRUCT* item) {
  if (!item) return 0;
  DrawItemRecord record{};
  record.itemID = item->itemID;
  record.itemAction = item->itemAction;
  record.itemState = item->itemState;
  record.hDC = reinterpret_cast<std::uintptr_t>(item->hDC);
  record.rcItem = {item->rcItem.left, item->rcItem.top, item->rcItem.right, item->rcItem.bottom};
  Win32RowCanvas canvas;
  return DrawReportRow(canvas, reinterpret_cast<std::uintptr_t>(mainWindow), controlId, record);
}
