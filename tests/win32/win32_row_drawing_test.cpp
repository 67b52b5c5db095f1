// The row drawing in a real window: an owner-drawn list of the program's
// style whose draw requests go through DrawReportRowItem, painted by
// the real GDI, and read back pixel by pixel.
//
// Reading pixels back: GetPixel on the list's own window DC (GetDC) returns
// what the drawing painted once UpdateWindow has run and the queue is
// empty; checked under Wine 8 on Xvfb (24-bit), where text is drawn without
// anti-aliasing, so a row holds exactly its background and text colours.
// A list scrolled sideways under Wine keeps rcItem.left at 0 and shifts the
// whole drawing instead, so a row with another left edge is drawn here by a
// request made by hand.
#include "win32_row_canvas.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "report_list.h"
#include "report_window.h"
#include "win32_report_list.h"

namespace {

constexpr int kRowHeight = 20;
const COLORREF kIconColour = RGB(200, 30, 60);

// An 18 x 18 icon of one opaque colour, so its box can be found exactly.
HICON SolidIcon() {
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, 18, 18);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colour);
  HBRUSH brush = CreateSolidBrush(kIconColour);
  RECT all = {0, 0, 18, 18};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  const BYTE maskBits[18 * 4] = {};  // all 0: every pixel opaque
  HBITMAP mask = CreateBitmap(18, 18, 1, 1, maskBits);
  ICONINFO info = {TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

// The list's pixels, read from its window DC.
class ListPixels {
 public:
  explicit ListPixels(HWND list) : list_(list), dc_(GetDC(list)) {}
  ~ListPixels() { ReleaseDC(list_, dc_); }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }

  // The leftmost x in [from, to) of row `row` where some pixel differs from
  // `background`, or -1.
  int FirstDifferentX(int row, COLORREF background, int from, int to) const {
    for (int x = from; x < to; ++x)
      for (int y = row * kRowHeight; y < (row + 1) * kRowHeight; ++y)
        if (At(x, y) != background) return x;
    return -1;
  }

  // Whether some pixel of row `row` in [from, to) has exactly `colour`.
  bool Has(int row, COLORREF colour, int from, int to) const {
    for (int x = from; x < to; ++x)
      for (int y = row * kRowHeight; y < (row + 1) * kRowHeight; ++y)
        if (At(x, y) == colour) return true;
    return false;
  }

 private:
  HWND list_;
  HDC dc_;
};

std::string Hex(COLORREF c) {
  char text[16];
  wsprintfA(text, "%06lX", static_cast<unsigned long>(c));
  return text;
}

class Win32RowDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.list());
    Win32ReportList list;
    PrepareReportList(list, reinterpret_cast<std::uintptr_t>(window_.window()));
    for (const char* row : rows_) SendMessageA(window_.list(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    solidIcon_ = SolidIcon();
    ASSERT_TRUE(solidIcon_);
    stockIcon_ = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_TRUE(stockIcon_);
    SendMessageA(window_.list(), LB_SETITEMDATA, kSolidIconRow, reinterpret_cast<LPARAM>(solidIcon_));
    SendMessageA(window_.list(), LB_SETITEMDATA, kStockIconRow, reinterpret_cast<LPARAM>(stockIcon_));
    SendMessageA(window_.list(), LB_SETITEMDATA, kIconAndTextRow, reinterpret_cast<LPARAM>(solidIcon_));
    ReportWindow::drawRequests = ReportWindow::rowsPainted = 0;
    ShowWindow(window_.window(), SW_SHOW);
    Repaint();
  }
  void TearDown() override {
    if (solidIcon_) DestroyIcon(solidIcon_);
  }

  void Repaint() {
    UpdateWindow(window_.window());
    PumpMessages();
  }

  static constexpr int kLabelOnlyRow = 0;
  static constexpr int kValueOnlyRow = 1;
  static constexpr int kSolidIconRow = 2;
  static constexpr int kStockIconRow = 3;
  static constexpr int kSelectedRow = 4;
  static constexpr int kEmptyRow = 5;
  static constexpr int kIconAndTextRow = 6;
  const char* rows_[7] = {"WWWW\t", "\tWWWW", "", "", "Class: \tUSB", "", "W\tWWWW"};

  ReportWindow window_{false};
  HICON solidIcon_ = nullptr;
  HICON stockIcon_ = nullptr;
  const COLORREF window_colour_ = GetSysColor(COLOR_WINDOW);
  const COLORREF highlight_ = GetSysColor(COLOR_HIGHLIGHT);
};

TEST_F(Win32RowDrawing, EveryRowIsPaintedByTheDrawing) {
  EXPECT_GE(ReportWindow::drawRequests, 7);
  EXPECT_GE(ReportWindow::rowsPainted, 7);
}

TEST_F(Win32RowDrawing, UnselectedRowHasTheWindowColour) {
  const ListPixels pixels(window_.list());
  EXPECT_EQ(pixels.FirstDifferentX(kEmptyRow, window_colour_, 0, 500), -1);
  EXPECT_EQ(Hex(pixels.At(250, kEmptyRow * kRowHeight + 10)), Hex(window_colour_));
}

TEST_F(Win32RowDrawing, LabelColumnStartsAt35AndValueColumnAt110) {
  const ListPixels pixels(window_.list());
  const int label = pixels.FirstDifferentX(kLabelOnlyRow, window_colour_, 0, 500);
  EXPECT_GE(label, 35);
  EXPECT_LE(label, 38);
  EXPECT_TRUE(pixels.Has(kLabelOnlyRow, GetSysColor(COLOR_WINDOWTEXT), 35, 110));
  EXPECT_EQ(pixels.FirstDifferentX(kLabelOnlyRow, window_colour_, 110, 500), -1);  // empty value

  const int value = pixels.FirstDifferentX(kValueOnlyRow, window_colour_, 0, 500);
  EXPECT_GE(value, 110);
  EXPECT_LE(value, 113);
  EXPECT_TRUE(pixels.Has(kValueOnlyRow, GetSysColor(COLOR_WINDOWTEXT), 110, 200));
}

TEST_F(Win32RowDrawing, SelectedRowHasTheHighlightColours) {
  SendMessageA(window_.list(), LB_SETCURSEL, kSelectedRow, 0);
  Repaint();
  {
    const ListPixels pixels(window_.list());
    for (int x : {0, 20, 34, 300, 500}) {
      EXPECT_EQ(Hex(pixels.At(x, kSelectedRow * kRowHeight + 1)), Hex(highlight_)) << "x " << x;
    }
    const int text = pixels.FirstDifferentX(kSelectedRow, highlight_, 0, 500);
    EXPECT_GE(text, 35);
    EXPECT_LE(text, 38);
    EXPECT_TRUE(pixels.Has(kSelectedRow, GetSysColor(COLOR_HIGHLIGHTTEXT), 35, 200));
    // The text is drawn in the highlight text colour on the highlight, not
    // in the window colours (here the highlight text and window colours are
    // both white, the window text black).
    ASSERT_NE(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_FALSE(pixels.Has(kSelectedRow, GetSysColor(COLOR_WINDOWTEXT), 0, 500));
    const int value = pixels.FirstDifferentX(kSelectedRow, highlight_, 100, 500);  // "USB"
    EXPECT_GE(value, 110);
    EXPECT_LE(value, 113);
  }
  // Deselecting repaints the row in the window colours.
  SendMessageA(window_.list(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Repaint();
  const ListPixels pixels(window_.list());
  EXPECT_EQ(Hex(pixels.At(20, kSelectedRow * kRowHeight + 1)), Hex(window_colour_));
  EXPECT_TRUE(pixels.Has(kSelectedRow, GetSysColor(COLOR_WINDOWTEXT), 35, 200));
  EXPECT_FALSE(pixels.Has(kSelectedRow, highlight_, 0, 500));
}

TEST_F(Win32RowDrawing, IconFillsItsBoxAtLeftPlus3TopPlus1) {
  const ListPixels pixels(window_.list());
  const int top = kSolidIconRow * kRowHeight;
  for (int y = top; y < top + kRowHeight; ++y) {
    for (int x = 0; x < 35; ++x) {
      const bool inBox = x >= 3 && x < 21 && y >= top + 1 && y < top + 19;
      ASSERT_EQ(Hex(pixels.At(x, y)), Hex(inBox ? kIconColour : window_colour_)) << "x " << x << ", y " << y - top;
    }
  }
}

TEST_F(Win32RowDrawing, StockIconIsDrawnInsideItsBoxOnly) {
  const ListPixels pixels(window_.list());
  const int top = kStockIconRow * kRowHeight;
  bool drawn = false;
  for (int y = top; y < top + kRowHeight; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool inBox = x >= 3 && x < 21 && y >= top + 1 && y < top + 19;
      if (inBox) {
        drawn = drawn || pixels.At(x, y) != window_colour_;
      } else {
        ASSERT_EQ(Hex(pixels.At(x, y)), Hex(window_colour_)) << "x " << x << ", y " << y - top;
      }
    }
  }
  EXPECT_TRUE(drawn);
}

TEST_F(Win32RowDrawing, RowWhoseLeftEdgeIsNotZeroMovesOnlyItsIcon) {
  // A request made as the list makes one, on the list's DC, with the row's
  // left edge at 50. The list is painted green first to show exactly what
  // the request paints.
  HWND list = window_.list();
  HDC dc = GetDC(list);
  RECT client;
  GetClientRect(list, &client);
  const COLORREF green = RGB(0, 128, 0);
  HBRUSH greenBrush = CreateSolidBrush(green);
  FillRect(dc, &client, greenBrush);
  DeleteObject(greenBrush);
  const int top = kIconAndTextRow * kRowHeight;
  DRAWITEMSTRUCT item = {};
  item.CtlType = ODT_LISTBOX;
  item.CtlID = 101;
  item.itemID = kIconAndTextRow;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = list;
  item.hDC = dc;
  item.rcItem = {50, top, 500, top + kRowHeight};
  EXPECT_EQ(SendMessageA(window_.window(), WM_DRAWITEM, 101, reinterpret_cast<LPARAM>(&item)), 1);
  ReleaseDC(list, dc);

  const ListPixels pixels(window_.list());
  EXPECT_EQ(pixels.FirstDifferentX(kIconAndTextRow, green, 0, 500), 35);  // the label's opaque cell
  for (int y = top; y < top + kRowHeight; ++y) {
    for (int x = 50; x < 75; ++x) {
      const bool inBox = x >= 53 && x < 71 && y >= top + 1 && y < top + 19;
      if (inBox) {
        ASSERT_EQ(Hex(pixels.At(x, y)), Hex(kIconColour)) << "x " << x << ", y " << y - top;
      } else if (x < 53) {
        ASSERT_NE(Hex(pixels.At(x, y)), Hex(green)) << "x " << x << ", y " << y - top;  // filled
      }
    }
  }
  const int value = pixels.FirstDifferentX(kIconAndTextRow, window_colour_, 71, 500);
  EXPECT_GE(value, 110);
  EXPECT_LE(value, 113);
  EXPECT_TRUE(pixels.Has(kIconAndTextRow, window_colour_, 500 - 5, 500));
  EXPECT_FALSE(pixels.Has(kIconAndTextRow, window_colour_, 500, 510));  // the row ends at 500
  EXPECT_EQ(Hex(pixels.At(10, top + 10)), Hex(green));
}

}  // namespace
