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
    row.text = input.ConsumeRandomLengthString(420);
    row.itemData = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::intptr_t>();
    canvas.rows.push_back(row);
  }
  canvas.textLengthFails = input.ConsumeIntegralInRange(0, 15) == 0;
  canvas.textReadFails = input.ConsumeIntegralInRange(0, 15) == 0;

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

  Check(!canvas.oversizedRead);
  Check(result == 0 || result == 1);
  if (result == 0) {
    Check(canvas.paints.empty());
    return 0;
  }
  const std::vector<std::string> ops = canvas.Operations();
  Check(ops.size() == 5 || ops.size() == 6);
  Check(ops[0] == "FillRect" && ops[1] == "SetBkColor" && ops[2] == "SetTextColor" && ops[3] == "DrawTextA" &&
        ops[4] == "DrawTextA");
  if (ops.size() == 6) Check(ops[5] == "DrawIconEx");
  const std::string& label = canvas.paints[3].text;
  const std::string& value = canvas.paints[4].text;
  Check(canvas.paints[3].zeroTerminated && canvas.paints[4].zeroTerminated);
  Check(label.size() < 300 && value.size() < 300);
  Check(canvas.paints[3].rect.left == 35 && canvas.paints[4].rect.left == 110);
  if (record.itemID < canvas.rows.size() && !canvas.textLengthFails && !canvas.textReadFails) {
    const std::string& text = canvas.rows[record.itemID].text;
    const std::string shown = text.size() < 300 ? text.substr(0, text.find('\0')) : std::string();
    const size_t tab = shown.find('\t');
    Check(label == (tab == std::string::npos ? shown : shown.substr(0, tab)));
    Check(value == (tab == std::string::npos ? shown : shown.substr(tab + 1)));
  }
  return 0;
}
