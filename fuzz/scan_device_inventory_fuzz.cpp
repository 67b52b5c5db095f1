// Fuzzes the device scan over a device-setup service whose classes, GUIDs,
// devices, values and failures all come from the input. Whatever the
// platform answers, the scan stays inside its buffers, records what the
// rules say, and releases every set and key exactly once.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "class_list.h"
#include "fake_device_setup.h"
#include "scan_device_inventory.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::optional<std::string> MaybeValue(FuzzedDataProvider& input) {
  if (!input.ConsumeBool()) return std::nullopt;
  return input.ConsumeRandomLengthString(200);
}

Guid ConsumeGuid(FuzzedDataProvider& input) {
  Guid guid{};
  guid.Data1 = input.ConsumeIntegral<uint32_t>();
  guid.Data2 = input.ConsumeIntegral<uint16_t>();
  guid.Data3 = input.ConsumeIntegral<uint16_t>();
  for (uint8_t& b : guid.Data4) b = input.ConsumeIntegral<uint8_t>();
  return guid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string classList = input.ConsumeRandomLengthString(400);

  FakeDeviceSetup setup;
  setup.RecordCalls = false;
  // Register some of the list's own names (cut as the scan cuts them), so
  // lookups find classes, and now and then a name of its own.
  const int names = CountClassNames(classList);
  for (int k = 1; k <= names && k <= 6; ++k) {
    if (!input.ConsumeBool()) continue;
    FakeDeviceSetup::SetupClass c;
    c.Name = input.ConsumeBool() ? std::string(ClassNameAt(classList, k)).substr(0, 127)
                                 : input.ConsumeRandomLengthString(130);
    c.Name = c.Name.substr(0, c.Name.find('\0'));
    const int guids = input.ConsumeIntegralInRange(0, 3);
    for (int g = 0; g < guids; ++g) c.Guids.push_back(ConsumeGuid(input));
    const int devices = input.ConsumeIntegralInRange(0, 8);
    for (int d = 0; d < devices; ++d) {
      FakeDeviceSetup::Device device;
      device.FriendlyName = MaybeValue(input);
      device.Description = MaybeValue(input);
      device.Driver = MaybeValue(input);
      device.PortName = MaybeValue(input);
      device.Unterminated = input.ConsumeBool();
      device.HardwareKeyOpens = input.ConsumeBool();
      c.Devices.push_back(device);
    }
    c.SetOpens = input.ConsumeIntegralInRange(0, 7) != 0;
    c.EnumerationFailsAt = input.ConsumeIntegralInRange<uint32_t>(0, 10);
    if (!c.Guids.empty()) setup.Classes.push_back(c);
  }

  InventoryTable table(1);
  const int32_t count = ScanDeviceInventory(setup, classList, table);

  Check(count >= 0);
  Check(setup.EverythingReleasedOnce());
  if (count == 0) {
    Check(table.size() == 1);
    for (int n = 1; n <= kDeviceFieldCount; ++n) Check(table[0].Field(n).empty());
  } else {
    Check(table.size() == static_cast<size_t>(count));
    for (const DeviceEntry& entry : table) {
      Check(entry.Class.size() <= 127 && entry.Class.find('\0') == std::string::npos);
      Check(entry.Guid.size() == 38 && entry.Guid.front() == '{' && entry.Guid.back() == '}');
      for (int n = 3; n <= kDeviceFieldCount; ++n) {
        Check(entry.Field(n).size() <= 128);
        Check(entry.Field(n).find('\0') == std::string::npos);
      }
    }
  }
  return 0;
}
