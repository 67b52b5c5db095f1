#pragma once
// The platform operations that paint one report row: system colours, the
// drawing context, the report list's text and item data, text and icons.
// One method per platform operation, with the platform's own name and
// arguments.

#include <cstdint>

// NOLINTBEGIN(readability-identifier-naming): the platform's own field names.

// The platform's RECT: edges in pixels, right and bottom exclusive.
struct PixelRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The fields of the platform's DRAWITEMSTRUCT that the row drawing reads.
struct DrawItemRecord {
  uint32_t itemID;      // the row index; all bits set when there is no row
  uint32_t itemAction;  // kOdaDrawEntire, kOdaSelect or kOdaFocus
  uint32_t itemState;   // kOdsSelected set when the row is selected
  std::uintptr_t hDC;   // the list's drawing context, with the list's font
  PixelRect rcItem;     // the row, in the list's client coordinates
};

// NOLINTEND(readability-identifier-naming)

// The platform's constants the drawing uses, under names that do not clash
// with the platform headers' macros.
constexpr uint32_t kNoItem = 0xFFFFFFFF;
constexpr uint32_t kOdaDrawEntire = 0x1;
constexpr uint32_t kOdaSelect = 0x2;
constexpr uint32_t kOdaFocus = 0x4;
constexpr uint32_t kOdsSelected = 0x1;
constexpr int32_t kColorWindow = 5;
constexpr int32_t kColorWindowText = 8;
constexpr int32_t kColorHighlight = 13;
constexpr int32_t kColorHighlightText = 14;
constexpr uint32_t kDtVCenter = 0x4;
constexpr uint32_t kDtSingleLine = 0x20;
constexpr uint32_t kDiNormal = 0x3;

class RowCanvas {
 public:
  virtual ~RowCanvas() = default;

  // A shared brush of the system colour; never released.
  virtual std::uintptr_t GetSysColorBrush(int32_t index) = 0;
  virtual int32_t FillRect(std::uintptr_t dc, const PixelRect* rect, std::uintptr_t brush) = 0;
  // The system colour as 0x00BBGGRR.
  virtual uint32_t GetSysColor(int32_t index) = 0;
  virtual uint32_t SetBkColor(std::uintptr_t dc, uint32_t color) = 0;
  virtual uint32_t SetTextColor(std::uintptr_t dc, uint32_t color) = 0;

  // The child window with control id `id`, or 0.
  virtual std::uintptr_t GetDlgItem(std::uintptr_t dialog, int32_t id) = 0;
  // Sends a message and waits for its result. LB_GETTEXT writes the row's
  // text and a zero byte into the buffer lParam points at, trusting it to be
  // large enough, or writes nothing and returns LB_ERR.
  virtual std::intptr_t SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) = 0;

  // Draws `count` bytes of `text` inside the rectangle.
  virtual int32_t DrawTextA(std::uintptr_t dc, const char* text, int32_t count, PixelRect* rect, uint32_t format) = 0;
  virtual bool DrawIconEx(std::uintptr_t dc, int32_t left, int32_t top, std::uintptr_t icon, int32_t width,
                          int32_t height, uint32_t stepIfAniCur, std::uintptr_t flickerFreeBrush, uint32_t flags) = 0;
};
