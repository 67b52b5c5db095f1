#include "fake_row_canvas.h"

#include <cstring>

#include "draw_report_row.h"
#include "report_list_control.h"

std::vector<std::string> FakeRowCanvas::Operations() const {
  std::vector<std::string> operations;
  for (const Paint& p : Paints) operations.push_back(p.Operation);
  return operations;
}

std::uintptr_t FakeRowCanvas::GetSysColorBrush(int32_t index) { return SysColorBrush(index); }

int32_t FakeRowCanvas::FillRect(std::uintptr_t dc, const PixelRect* rect, std::uintptr_t brush) {
  Paint p;
  p.Operation = "FillRect";
  p.Dc = dc;
  p.Rect = *rect;
  p.Handle = brush;
  Paints.push_back(p);
  return 1;
}

uint32_t FakeRowCanvas::GetSysColor(int32_t index) { return SysColor(index); }

uint32_t FakeRowCanvas::SetBkColor(std::uintptr_t dc, uint32_t color) { return RecordColour("SetBkColor", dc, color); }

uint32_t FakeRowCanvas::SetTextColor(std::uintptr_t dc, uint32_t color) {
  return RecordColour("SetTextColor", dc, color);
}

uint32_t FakeRowCanvas::RecordColour(const char* operation, std::uintptr_t dc, uint32_t color) {
  Paint p;
  p.Operation = operation;
  p.Dc = dc;
  p.Value = color;
  Paints.push_back(p);
  return 0;
}

std::uintptr_t FakeRowCanvas::GetDlgItem(std::uintptr_t dialog, int32_t id) {
  ListCalls.push_back("GetDlgItem");
  return dialog == kMainWindow && id == kReportListId ? kListWindow : 0;
}

std::intptr_t FakeRowCanvas::SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
  const std::string index = std::to_string(wParam);
  if (window != kListWindow) {
    ListCalls.push_back("stray message");
    return 0;
  }
  const bool exists = wParam < Rows.size();
  switch (message) {
    case kLbGetTextLen:
      ListCalls.push_back("LB_GETTEXTLEN " + index);
      if (TextLengthFails || !exists) return kLbErr;
      return static_cast<std::intptr_t>(Rows[wParam].Text.size());
    case kLbGetText: {
      ListCalls.push_back("LB_GETTEXT " + index);
      if (TextReadFails || !exists) return kLbErr;
      const std::string& text = Rows[wParam].Text;
      if (text.size() + 1 > kRowTextBufferSize) {
        OversizedRead = true;
        return kLbErr;
      }
      std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
      return static_cast<std::intptr_t>(text.size());
    }
    case kLbGetItemData:
      ListCalls.push_back("LB_GETITEMDATA " + index);
      return exists ? Rows[wParam].ItemData : kLbErr;
    default:
      ListCalls.push_back("message " + std::to_string(message));
      return kLbErr;
  }
}

int32_t FakeRowCanvas::DrawTextA(std::uintptr_t dc, const char* text, int32_t count, PixelRect* rect, uint32_t format) {
  Paint p;
  p.Operation = "DrawTextA";
  p.Dc = dc;
  p.Rect = *rect;
  p.Value = format;
  p.Text.assign(text, static_cast<size_t>(count));
  p.ZeroTerminated = text[count] == 0;
  Paints.push_back(p);
  return 20;
}

bool FakeRowCanvas::DrawIconEx(std::uintptr_t dc, int32_t left, int32_t top, std::uintptr_t icon, int32_t width,
                               int32_t height, uint32_t stepIfAniCur, std::uintptr_t flickerFreeBrush, uint32_t flags) {
  Paint p;
  p.Operation = "DrawIconEx";
  p.Dc = dc;
  p.X = left;
  p.Y = top;
  p.Width = width;
  p.Height = height;
  p.Handle = icon;
  p.Value = flags;
  p.Step = stepIfAniCur;
  p.Brush = flickerFreeBrush;
  Paints.push_back(p);
  return true;
}
