#include "draw_report_row.h"

#include <cstring>

#include "report_list_control.h"

namespace {

constexpr int32_t kLabelColumnLeft = 35;
constexpr int32_t kValueColumnOffset = 75;                      // the value column starts at 110
constexpr uint32_t kColumnFormat = kDtSingleLine | kDtVCenter;  // left-aligned, no tab expansion

constexpr int32_t kIconOffsetX = 3;
constexpr int32_t kIconOffsetY = 1;
constexpr int32_t kIconSize = 18;

struct RowColours {
  int32_t Fill;
  int32_t TextBackground;
  int32_t Text;
};
constexpr RowColours kNormalColours = {kColorWindow, kColorWindow, kColorWindowText};
constexpr RowColours kSelectedColours = {kColorHighlight, kColorHighlight, kColorHighlightText};

// An edge moved by a few pixels, wrapping instead of overflowing at the ends
// of the 32-bit range (the platform's own arithmetic).
int32_t Offset(int32_t edge, int32_t by) {
  return static_cast<int32_t>(static_cast<uint32_t>(edge) + static_cast<uint32_t>(by));
}

// Reads the row's text into `buffer`. A row the buffer cannot hold whole
// (with its zero byte) is not read at all and counts as a failed read: the
// list would write past the buffer's end.
void ReadRowText(RowCanvas& canvas, std::uintptr_t listWindow, uint32_t itemID, char (&buffer)[kRowTextBufferSize]) {
  const std::intptr_t length = canvas.SendMessageA(listWindow, kLbGetTextLen, itemID, 0);
  if (length < 0 || length >= static_cast<std::intptr_t>(kRowTextBufferSize)) return;
  canvas.SendMessageA(listWindow, kLbGetText, itemID, reinterpret_cast<std::intptr_t>(buffer));
}

// Draws `length` bytes of `text` as one column from `left` to the row's
// right edge, through the zero-terminated column buffer.
void DrawColumn(RowCanvas& canvas, const DrawItemRecord& record, PixelRect& textRect, const char* text, size_t length) {
  char column[kRowTextBufferSize] = {};
  std::memcpy(column, text, length);
  canvas.DrawTextA(record.hDC, column, static_cast<int32_t>(length), &textRect, kColumnFormat);
}

}  // namespace

uint32_t DrawReportRow(RowCanvas& canvas, std::uintptr_t mainWindow, std::uintptr_t controlId,
                       const DrawItemRecord& record) {
  if (controlId != static_cast<std::uintptr_t>(kReportListId)) return 0;
  if (record.itemID == kNoItem) return 0;
  if (record.itemAction != kOdaDrawEntire && record.itemAction != kOdaSelect) return 0;

  const RowColours& colours = (record.itemState & kOdsSelected) ? kSelectedColours : kNormalColours;
  canvas.FillRect(record.hDC, &record.rcItem, canvas.GetSysColorBrush(colours.Fill));
  canvas.SetBkColor(record.hDC, canvas.GetSysColor(colours.TextBackground));
  canvas.SetTextColor(record.hDC, canvas.GetSysColor(colours.Text));

  char rowText[kRowTextBufferSize] = {};
  ReadRowText(canvas, canvas.GetDlgItem(mainWindow, kReportListId), record.itemID, rowText);
  rowText[sizeof rowText - 1] = 0;
  const size_t rowLength = std::strlen(rowText);

  // Split at the first TAB; a row without one shows whole in both columns.
  const char* tab = static_cast<const char*>(std::memchr(rowText, '\t', rowLength));
  const char* label = rowText;
  const size_t labelLength = tab ? static_cast<size_t>(tab - rowText) : rowLength;
  const char* value = tab ? tab + 1 : rowText;
  const size_t valueLength = tab ? rowLength - labelLength - 1 : rowLength;

  PixelRect textRect = record.rcItem;
  textRect.left = kLabelColumnLeft;
  DrawColumn(canvas, record, textRect, label, labelLength);
  textRect.left = kLabelColumnLeft + kValueColumnOffset;
  DrawColumn(canvas, record, textRect, value, valueLength);

  const std::intptr_t itemData =
      canvas.SendMessageA(canvas.GetDlgItem(mainWindow, kReportListId), kLbGetItemData, record.itemID, 0);
  if (itemData != 0) {
    canvas.DrawIconEx(record.hDC, Offset(record.rcItem.left, kIconOffsetX), Offset(record.rcItem.top, kIconOffsetY),
                      static_cast<std::uintptr_t>(itemData), kIconSize, kIconSize, 0, 0, kDiNormal);
  }
  return 1;
}
