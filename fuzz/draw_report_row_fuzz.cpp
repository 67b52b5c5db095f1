// Fuzzes the row drawing: any row text (TABs anywhere, any length), any item
// data, any draw request. The drawing never asks the list for more text than
// its buffer holds, paints in the fixed order or not at all, and hands
// DrawTextA only zero-terminated column texts taken from the row.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "draw_report_row.h"
#include "fake_row_canvas.h"
#include "report_list_control.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  FakeRowCanvas canvas;
  const int rows = input.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < rows; ++i) {
    FakeRowCanvas::Row row;
    row.Text = input.ConsumeRandomLengthString(420);
    row.ItemData = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::intptr_t>();
    canvas.Rows.push_back(row);
  }
  canvas.TextLengthFails = input.ConsumeIntegralInRange(0, 15) == 0;
  canvas.TextReadFails = input.ConsumeIntegralInRange(0, 15) == 0;

  DrawItemRecord record{};
  record.itemID =
      input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 5) : input.ConsumeIntegral<uint32_t>();
  record.itemAction = input.ConsumeIntegralInRange<uint32_t>(0, 8);
  record.itemState = input.ConsumeIntegral<uint32_t>();
  record.hDC = 0xDC;
  record.rcItem = {input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(),
                   input.ConsumeIntegral<int32_t>()};
  const std::uintptr_t controlId =
      input.ConsumeBool() ? static_cast<std::uintptr_t>(kReportListId) : input.ConsumeIntegral<std::uintptr_t>();

  const uint32_t result = DrawReportRow(canvas, FakeRowCanvas::kMainWindow, controlId, record);

  Check(!canvas.OversizedRead);
  Check(result == 0 || result == 1);
  if (result == 0) {
    Check(canvas.Paints.empty());
    return 0;
  }
  const std::vector<std::string> ops = canvas.Operations();
  Check(ops.size() == 5 || ops.size() == 6);
  Check(ops[0] == "FillRect" && ops[1] == "SetBkColor" && ops[2] == "SetTextColor" && ops[3] == "DrawTextA" &&
        ops[4] == "DrawTextA");
  if (ops.size() == 6) Check(ops[5] == "DrawIconEx");
  const std::string& label = canvas.Paints[3].Text;
  const std::string& value = canvas.Paints[4].Text;
  Check(canvas.Paints[3].ZeroTerminated && canvas.Paints[4].ZeroTerminated);
  Check(label.size() < 300 && value.size() < 300);
  Check(canvas.Paints[3].Rect.left == 35 && canvas.Paints[4].Rect.left == 110);
  if (record.itemID < canvas.Rows.size() && !canvas.TextLengthFails && !canvas.TextReadFails) {
    const std::string& text = canvas.Rows[record.itemID].Text;
    const std::string shown = text.size() < 300 ? text.substr(0, text.find('\0')) : std::string();
    const size_t tab = shown.find('\t');
    Check(label == (tab == std::string::npos ? shown : shown.substr(0, tab)));
    Check(value == (tab == std::string::npos ? shown : shown.substr(tab + 1)));
  }
  return 0;
}
