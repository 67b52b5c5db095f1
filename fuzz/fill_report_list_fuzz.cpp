// Fuzzes the report list fill: any inventory table, any device count, any
// class look-ups and icon loads. The list gets the header, a separator and
// seven rows per device read, icons only on each block's first row, nothing
// sent anywhere else, and the USB 2.0 flag says whether a description holds
// a match text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "fake_report_list.h"
#include "report_list.h"
#include "report_list_control.h"
#include "usb20_rule.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A field as the scan records it: any bytes but a zero byte.
std::string ConsumeField(FuzzedDataProvider& input, size_t maxLength) {
  std::string field = input.ConsumeRandomLengthString(maxLength);
  return field.substr(0, field.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  InventoryTable table(input.ConsumeIntegralInRange<size_t>(0, 12));
  for (DeviceEntry& entry : table) {
    entry.Class = ConsumeField(input, 140);
    entry.Guid = ConsumeField(input, 40);
    entry.FriendlyName = ConsumeField(input, 130);
    entry.Description = ConsumeField(input, 130);
    entry.Driver = ConsumeField(input, 130);
    entry.PortName = ConsumeField(input, 130);
  }
  const int32_t deviceCount = input.ConsumeIntegralInRange<int32_t>(-3, 15);

  FakeReportList list;
  for (const DeviceEntry& entry : table) {
    if (input.ConsumeBool()) {
      Guid guid{};
      guid.Data1 = input.ConsumeIntegral<uint32_t>();
      list.ClassGuids[entry.Class.substr(0, 127)] = guid;
      if (input.ConsumeBool()) list.FailingIconGuids.push_back(guid.Data1);
    }
  }

  gUsb20Flag = 0;
  PrepareReportList(list, FakeReportList::kMainWindow);
  FillReportList(list, FakeReportList::kMainWindow, table, deviceCount);

  const size_t devices = deviceCount > 0 ? std::min(static_cast<size_t>(deviceCount), table.size()) : 0;
  Check(list.Rows.size() == 2 + 7 * devices);
  Check(list.Rows[0].Text == "USB DeviceCount: \t" + std::to_string(deviceCount));
  Check(list.StrayMessages.empty() && list.ItemDataOutOfRange == 0);
  bool matched = false;
  for (size_t row = 0; row < list.Rows.size(); ++row) {
    const bool classRow = row >= 2 && (row - 2) % 7 == 0;
    const bool separator = row == 1 || (row >= 2 && (row - 2) % 7 == 6);
    if (separator) Check(list.Rows[row].Text == std::string(75, '-'));
    if (!classRow) Check(list.Rows[row].ItemData == 0);
  }
  for (size_t k = 0; k < devices; ++k) {
    const std::string& d = table[k].Description;
    matched = matched || d.find("USB 2.0") != std::string::npos || d.find("Enhanced") != std::string::npos;
    Check(list.Rows[2 + 7 * k + 3].Text == "Description: \t" + d);
  }
  Check(gUsb20Flag == (matched ? 1 : 0));
  return 0;
}
