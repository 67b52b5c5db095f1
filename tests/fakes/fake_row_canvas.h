#pragma once
// A canvas that records every paint operation in order, over a report list
// made of plain records. System colour i is 0x00C0C000 + i and its brush
// 0xB000 + i, so every recorded value says where it came from.

#include <cstdint>
#include <string>
#include <vector>

#include "row_canvas.h"

class FakeRowCanvas final : public RowCanvas {
 public:
  static constexpr std::uintptr_t kMainWindow = 0x20010;
  static constexpr std::uintptr_t kListWindow = 0x20020;

  static uint32_t SysColor(int32_t index) { return 0x00C0C000u + static_cast<uint32_t>(index); }
  static std::uintptr_t SysColorBrush(int32_t index) { return 0xB000u + static_cast<std::uintptr_t>(index); }

  struct Row {
    std::string Text;
    std::intptr_t ItemData = 0;
  };
  // One paint operation: FillRect, SetBkColor, SetTextColor, DrawTextA or
  // DrawIconEx, with the arguments that matter for it.
  struct Paint {
    std::string Operation;
    std::uintptr_t Dc = 0;
    PixelRect Rect{};                             // FillRect, DrawTextA
    std::uintptr_t Handle = 0;                    // FillRect: brush; DrawIconEx: icon
    uint32_t Value = 0;                           // SetBkColor, SetTextColor: colour; DrawTextA, DrawIconEx: flags
    std::string Text;                             // DrawTextA: the bytes drawn
    bool ZeroTerminated = false;                  // DrawTextA: a zero byte follows them
    int32_t X = 0, Y = 0, Width = 0, Height = 0;  // DrawIconEx
    uint32_t Step = 0;                            // DrawIconEx
    std::uintptr_t Brush = 0;                     // DrawIconEx
  };

  std::vector<Row> Rows;
  bool TextLengthFails = false;  // LB_GETTEXTLEN returns LB_ERR
  bool TextReadFails = false;    // LB_GETTEXT writes nothing and returns LB_ERR

  std::vector<Paint> Paints;
  std::vector<std::string> ListCalls;  // "GetDlgItem", "LB_GETTEXTLEN 3", ...
  // A row of 300 bytes or more was asked for with LB_GETTEXT: more than the
  // drawing's buffer holds. Nothing is written then.
  bool OversizedRead = false;

  std::vector<std::string> Operations() const;

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

 private:
  // SetBkColor and SetTextColor: the colour set, and 0 as the previous one.
  uint32_t RecordColour(const char* operation, std::uintptr_t dc, uint32_t color);
};
