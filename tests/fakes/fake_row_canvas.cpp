#include "fake_row_canvas.h"

#include <cstring>

#include "report_list_control.h"

namespace {

// The size of the row drawing's text buffer.
constexpr size_t kRowBufferSize = 300;

}  // namespace

std::vector<std::string> FakeRowCanvas::Operations() const {
  std::vector<std::string> operations;
  for (const Paint& p : paints) operations.push_back(p.operation);
  return operations;
}

std::uintptr_t FakeRowCanvas::GetSysColorBrush(int32_t index) { return SysColorBrush(index); }

int32_t FakeRowCanvas::FillRect(std::uintptr_t dc, const PixelRect* rect, std::uintptr_t brush) {
  Paint p;
  p.operation = "FillRect";
  p.dc = dc;
  p.rect = *rect;
  p.handle = brush;
  paints.push_back(p);
  return 1;
}

uint32_t FakeRowCanvas::GetSysColor(int32_t index) { return SysColor(index); }

uint32_t FakeRowCanvas::SetBkColor(std::uintptr_t dc, uint32_t color) { return RecordColour("SetBkColor", dc, color); }

uint32_t FakeRowCanvas::SetTextColor(std::uintptr_t dc, uint32_t color) {
  return RecordColour("SetTextColor", dc, color);
}

uint32_t FakeRowCanvas::RecordColour(const char* operation, std::uintptr_t dc, uint32_t color) {
  Paint p;
  p.operation = operation;
  p.dc = dc;
  p.value = color;
  paints.push_back(p);
  return 0;
}

std::uintptr_t FakeRowCanvas::GetDlgItem(std::uintptr_t dialog, int32_t id) {
  listCalls.push_back("GetDlgItem");
  return dialog == kMainWindow && id == kReportListId ? kListWindow : 0;
}

std::intptr_t FakeRowCanvas::SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
  const std::string index = std::to_string(wParam);
  if (window != kListWindow) {
    listCalls.push_back("stray message");
    return 0;
  }
  const bool exists = wParam < rows.size();
  switch (message) {
    case kLbGetTextLen:
      listCalls.push_back("LB_GETTEXTLEN " + index);
      if (textLengthFails || !exists) return kLbErr;
      return static_cast<std::intptr_t>(rows[wParam].text.size());
    case kLbGetText: {
      listCalls.push_back("LB_GETTEXT " + index);
      if (textReadFails || !exists) return kLbErr;
      const std::string& text = rows[wParam].text;
      if (text.size() + 1 > kRowBufferSize) {
        oversizedRead = true;
        return kLbErr;
      }
      std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
      return static_cast<std::intptr_t>(text.size());
    }
    case kLbGetItemData:
      listCalls.push_back("LB_GETITEMDATA " + index);
      return exists ? rows[wParam].itemData : kLbErr;
    default:
      listCalls.push_back("message " + std::to_string(message));
      return kLbErr;
  }
}

int32_t FakeRowCanvas::DrawTextA(std::uintptr_t dc, const char* text, int32_t count, PixelRect* rect, uint32_t format) {
  Paint p;
  p.operation = "DrawTextA";
  p.dc = dc;
  p.rect = *rect;
  p.value = format;
  p.text.assign(text, static_cast<size_t>(count));
  p.zeroTerminated = text[count] == 0;
  paints.push_back(p);
  return 20;
}

bool FakeRowCanvas::DrawIconEx(std::uintptr_t dc, int32_t left, int32_t top, std::uintptr_t icon, int32_t width,
                               int32_t height, uint32_t stepIfAniCur, std::uintptr_t flickerFreeBrush, uint32_t flags) {
  Paint p;
  p.operation = "DrawIconEx";
  p.dc = dc;
  p.x = left;
  p.y = top;
  p.width = width;
  p.height = height;
  p.handle = icon;
  p.value = flags;
  p.step = stepIfAniCur;
  p.brush = flickerFreeBrush;
  paints.push_back(p);
  return true;
}
