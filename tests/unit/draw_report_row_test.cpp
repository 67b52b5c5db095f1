#include "draw_report_row.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_row_canvas.h"

namespace {

using Paint = FakeRowCanvas::Paint;

constexpr std::uintptr_t kDc = 0xDC00;
constexpr std::intptr_t kIcon = 0x4C0;
const std::string kSeparator(75, '-');

DrawItemRecord Request(uint32_t row, uint32_t action = 1, uint32_t state = 0, PixelRect rect = {0, 40, 300, 60}) {
  return {row, action, state, kDc, rect};
}

// A list holding one row of each kind the report has, and a few it never has.
FakeRowCanvas Canvas() {
  FakeRowCanvas canvas;
  canvas.Rows = {
      {"USB DeviceCount: \t3", 0},  // 0
      {kSeparator, 0},              // 1
      {"Class: \tUSB", kIcon},      // 2
      {"Guid: \t{36FC9E60-C465-11CF-8056-444553540000}", 0},
  };
  return canvas;
}

uint32_t Draw(FakeRowCanvas& canvas, const DrawItemRecord& record, std::uintptr_t controlId = 101) {
  return DrawReportRow(canvas, FakeRowCanvas::kMainWindow, controlId, record);
}

std::vector<Paint> PaintsOf(const FakeRowCanvas& canvas, const std::string& operation) {
  std::vector<Paint> found;
  for (const Paint& p : canvas.Paints)
    if (p.Operation == operation) found.push_back(p);
  return found;
}

void ExpectRect(const PixelRect& actual, const PixelRect& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST(DrawReportRow, RequestsThatAreNotForARowPaintNothing) {
  struct Case {
    const char* What;
    std::uintptr_t ControlId;
    DrawItemRecord Record;
  };
  std::vector<Case> cases = {
      {"another control", 100, Request(0)},
      {"control 0", 0, Request(0)},
      {"control 102", 102, Request(0)},
      {"no row", 101, Request(0xFFFFFFFF)},
      {"no row, selected", 101, Request(0xFFFFFFFF, 2, 1)},
      {"focus only", 101, Request(0, 4)},
      {"focus only, selected", 101, Request(0, 4, 1)},
      {"draw entire with focus", 101, Request(0, 5)},
      {"select with focus", 101, Request(0, 6)},
      {"draw entire with select", 101, Request(0, 3)},
      {"no action", 101, Request(0, 0)},
      {"unknown action", 101, Request(0, 8)},
      {"every action bit", 101, Request(0, 0xFFFFFFFF)},
  };
  // Where wParam is 64 bits, a control id is compared whole, not by its low half.
  if (sizeof(std::uintptr_t) > sizeof(uint32_t)) {
    cases.push_back(
        {"101 in the low half only", static_cast<std::uintptr_t>(~std::uint64_t{0} << 32 | 101), Request(0)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas = Canvas();
    EXPECT_EQ(Draw(canvas, c.Record, c.ControlId), 0u);
    EXPECT_TRUE(canvas.Paints.empty());
    EXPECT_TRUE(canvas.ListCalls.empty());
  }
}

TEST(DrawReportRow, ColoursFollowTheSelectionBit) {
  struct Case {
    const char* What;
    uint32_t Action;
    uint32_t State;
    int32_t Fill, TextBackground, Text;
  };
  const Case cases[] = {
      {"draw entire, not selected", 1, 0, 5, 5, 8},   {"draw entire, selected", 1, 1, 13, 13, 14},
      {"select, selected", 2, 1, 13, 13, 14},         {"select, deselected", 2, 0, 5, 5, 8},
      {"focus bit alone", 1, 0x10, 5, 5, 8},          {"selected with focus", 2, 0x11, 13, 13, 14},
      {"every state bit", 1, 0xFFFFFFFF, 13, 13, 14}, {"every state bit but selected", 1, 0xFFFFFFFE, 5, 5, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas = Canvas();
    const PixelRect rect = {0, 40, 300, 60};
    EXPECT_EQ(Draw(canvas, Request(0, c.Action, c.State, rect)), 1u);
    ASSERT_GE(canvas.Paints.size(), 3u);
    const Paint& fill = canvas.Paints[0];
    EXPECT_EQ(fill.Operation, "FillRect");
    EXPECT_EQ(fill.Dc, kDc);
    ExpectRect(fill.Rect, rect);
    EXPECT_EQ(fill.Handle, FakeRowCanvas::SysColorBrush(c.Fill));
    EXPECT_EQ(canvas.Paints[1].Operation, "SetBkColor");
    EXPECT_EQ(canvas.Paints[1].Dc, kDc);
    EXPECT_EQ(canvas.Paints[1].Value, FakeRowCanvas::SysColor(c.TextBackground));
    EXPECT_EQ(canvas.Paints[2].Operation, "SetTextColor");
    EXPECT_EQ(canvas.Paints[2].Dc, kDc);
    EXPECT_EQ(canvas.Paints[2].Value, FakeRowCanvas::SysColor(c.Text));
  }
}

TEST(DrawReportRow, TextSplitsAtTheFirstTab) {
  struct Case {
    const char* What;
    std::string Row;
    std::string Label;
    std::string Value;
  };
  const std::vector<Case> cases = {
      {"header", "USB DeviceCount: \t3", "USB DeviceCount: ", "3"},
      {"separator: the whole row twice", kSeparator, kSeparator, kSeparator},
      {"class row keeps colon and blank", "Class: \tUSB", "Class: ", "USB"},
      {"starts with a TAB", "\tvalue only", "", "value only"},
      {"ends with its only TAB", "label only\t", "label only", ""},
      {"two TABs: the second stays in the value", "a\tb\tc", "a", "b\tc"},
      {"only a TAB", "\t", "", ""},
      {"two TABs in a row", "\t\t", "", "\t"},
      {"no TAB", "plain text", "plain text", "plain text"},
      {"empty row", "", "", ""},
      {"blanks are kept", " a \t b ", " a ", " b "},
      {"ampersands pass unchanged", "a&b\t&&c", "a&b", "&&c"},
      {"high bytes", "\x80\xFF\t\xE9", "\x80\xFF", "\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas;
    canvas.Rows = {{c.Row, 0}};
    EXPECT_EQ(Draw(canvas, Request(0)), 1u);
    const std::vector<Paint> texts = PaintsOf(canvas, "DrawTextA");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, c.Label);
    EXPECT_EQ(texts[1].Text, c.Value);
    EXPECT_TRUE(texts[0].ZeroTerminated);
    EXPECT_TRUE(texts[1].ZeroTerminated);
  }
}

TEST(DrawReportRow, ColumnsAtFixedEdgesWithTheRowsOtherEdges) {
  for (const PixelRect rect : {PixelRect{0, 40, 300, 60}, PixelRect{-200, 0, 1000, 20}, PixelRect{17, 5, 90, 25}}) {
    SCOPED_TRACE("row left " + std::to_string(rect.left));
    FakeRowCanvas canvas = Canvas();
    EXPECT_EQ(Draw(canvas, Request(0, 1, 0, rect)), 1u);
    const std::vector<Paint> texts = PaintsOf(canvas, "DrawTextA");
    ASSERT_EQ(texts.size(), 2u);
    ExpectRect(texts[0].Rect, {35, rect.top, rect.right, rect.bottom});
    ExpectRect(texts[1].Rect, {110, rect.top, rect.right, rect.bottom});
    for (const Paint& t : texts) {
      EXPECT_EQ(t.Value, 0x24u);  // one line, vertically centred, TABs and ampersands not expanded
      EXPECT_EQ(t.Dc, kDc);
    }
  }
}

TEST(DrawReportRow, FailedReadDrawsEmptyColumnsOverThePaintedBackground) {
  struct Case {
    const char* What;
    bool LengthFails;
    bool ReadFails;
    uint32_t Row;
  };
  const Case cases[] = {
      {"text read fails", false, true, 2},
      {"length read fails", true, false, 2},
      {"row not in the list", false, false, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas = Canvas();
    canvas.TextLengthFails = c.LengthFails;
    canvas.TextReadFails = c.ReadFails;
    EXPECT_EQ(Draw(canvas, Request(c.Row, 1, 1)), 1u);
    const std::vector<Paint> texts = PaintsOf(canvas, "DrawTextA");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "");
    EXPECT_EQ(texts[1].Text, "");
    ASSERT_EQ(PaintsOf(canvas, "FillRect").size(), 1u);
    EXPECT_EQ(PaintsOf(canvas, "FillRect")[0].Handle, FakeRowCanvas::SysColorBrush(13));
    if (c.Row == 2) {  // the row keeps its icon
      const std::vector<Paint> icons = PaintsOf(canvas, "DrawIconEx");
      ASSERT_EQ(icons.size(), 1u);
      EXPECT_EQ(icons[0].Handle, static_cast<std::uintptr_t>(kIcon));
    }
  }
}

TEST(DrawReportRow, RowsTheBufferCannotHoldAreNotRead) {
  struct Case {
    const char* What;
    std::string Row;
    bool Shown;
  };
  const std::vector<Case> cases = {
      {"the longest report row, 143 bytes", "FriendlyName: \t" + std::string(128, 'x'), true},
      {"299 bytes and its zero fill the buffer", std::string(299, 'y'), true},
      {"300 bytes would not fit", std::string(300, 'z'), false},
      {"far too long", std::string(5000, 'w') + "\tvalue", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas;
    canvas.Rows = {{c.Row, kIcon}};
    EXPECT_EQ(Draw(canvas, Request(0)), 1u);
    EXPECT_FALSE(canvas.OversizedRead);
    const std::vector<Paint> texts = PaintsOf(canvas, "DrawTextA");
    ASSERT_EQ(texts.size(), 2u);
    if (c.Shown) {
      const size_t tab = c.Row.find('\t');
      EXPECT_EQ(texts[0].Text + (tab == std::string::npos ? "" : "\t" + texts[1].Text), c.Row);
    } else {
      EXPECT_EQ(texts[0].Text, "");
      EXPECT_EQ(texts[1].Text, "");
      EXPECT_EQ(canvas.ListCalls,
                (std::vector<std::string>{"GetDlgItem", "LB_GETTEXTLEN 0", "GetDlgItem", "LB_GETITEMDATA 0"}));
    }
    EXPECT_EQ(PaintsOf(canvas, "DrawIconEx").size(), 1u);
  }
}

TEST(DrawReportRow, IconOnlyForNonZeroItemDataAtTheRowsLeftEdge) {
  struct Case {
    const char* What;
    std::intptr_t ItemData;
    PixelRect Rect;
  };
  const std::vector<Case> cases = {
      {"no icon", 0, {0, 40, 300, 60}},
      {"icon at the list's edge", kIcon, {0, 40, 300, 60}},
      {"row scrolled sideways", kIcon, {-150, 20, 1050, 40}},
      {"row indented", 0x1234, {12, 0, 300, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeRowCanvas canvas;
    canvas.Rows = {{"Class: \tUSB", c.ItemData}};
    EXPECT_EQ(Draw(canvas, Request(0, 2, 0, c.Rect)), 1u);
    const std::vector<Paint> icons = PaintsOf(canvas, "DrawIconEx");
    const std::vector<Paint> texts = PaintsOf(canvas, "DrawTextA");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Rect.left, 35);  // the text stays put whatever the row's edge
    EXPECT_EQ(texts[1].Rect.left, 110);
    if (c.ItemData == 0) {
      EXPECT_TRUE(icons.empty());
      continue;
    }
    ASSERT_EQ(icons.size(), 1u);
    const Paint& icon = icons[0];
    EXPECT_EQ(icon.Dc, kDc);
    EXPECT_EQ(icon.Handle, static_cast<std::uintptr_t>(c.ItemData));
    EXPECT_EQ(icon.X, c.Rect.left + 3);
    EXPECT_EQ(icon.Y, c.Rect.top + 1);
    EXPECT_EQ(icon.Width, 18);
    EXPECT_EQ(icon.Height, 18);
    EXPECT_EQ(icon.Step, 0u);
    EXPECT_EQ(icon.Brush, 0u);
    EXPECT_EQ(icon.Value, 3u);  // DI_NORMAL
  }
}

TEST(DrawReportRow, PaintsBackgroundLabelValueIconInThatOrder) {
  FakeRowCanvas canvas = Canvas();
  EXPECT_EQ(Draw(canvas, Request(2, 1, 1)), 1u);
  EXPECT_EQ(canvas.Operations(), (std::vector<std::string>{"FillRect", "SetBkColor", "SetTextColor", "DrawTextA",
                                                           "DrawTextA", "DrawIconEx"}));
  EXPECT_EQ(canvas.Paints[3].Text, "Class: ");
  EXPECT_EQ(canvas.Paints[4].Text, "USB");
  // The list is asked for the text, then for the item data, nothing else.
  EXPECT_EQ(canvas.ListCalls, (std::vector<std::string>{"GetDlgItem", "LB_GETTEXTLEN 2", "LB_GETTEXT 2", "GetDlgItem",
                                                        "LB_GETITEMDATA 2"}));
}

TEST(DrawReportRow, EdgesAtTheEndsOfTheRangeDoNotOverflow) {
  FakeRowCanvas canvas = Canvas();
  EXPECT_EQ(Draw(canvas, Request(2, 1, 0, {INT32_MAX - 1, INT32_MAX, INT32_MAX, INT32_MAX})), 1u);
  const std::vector<Paint> icons = PaintsOf(canvas, "DrawIconEx");
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].X, INT32_MIN + 1);  // wraps as the platform's 32-bit arithmetic does
  EXPECT_EQ(icons[0].Y, INT32_MIN);
}

}  // namespace
