#include "scan_device_inventory.h"

#include <cstring>
#include <vector>

#include "class_list.h"
#include "unique_handle.h"

namespace {

// Every text from the platform passes through a buffer of this size.
constexpr size_t kWorkBufferSize = 128;

const char kNone[] = "None";

// A device information set and a device's hardware key are released
// through the service that handed them out.
struct DestroyDeviceInfoList {
  DeviceSetupService* Setup = nullptr;
  void operator()(DeviceInfoSet set) const { Setup->SetupDiDestroyDeviceInfoList(set); }
};
struct CloseRegistryKey {
  DeviceSetupService* Setup = nullptr;
  void operator()(RegistryKey key) const { Setup->RegCloseKey(key); }
};
using DeviceInfoSetOwner = UniqueHandle<DeviceInfoSet, DestroyDeviceInfoList, kInvalidHandleValue>;
using RegistryKeyOwner = UniqueHandle<RegistryKey, CloseRegistryKey, kInvalidHandleValue>;

// A work buffer preset to "None", as every property and value read starts.
struct TextBuffer {
  uint8_t Bytes[kWorkBufferSize];
  TextBuffer() { std::memcpy(Bytes, kNone, sizeof kNone); }

  // The bytes before the first zero byte, never past the buffer's end: a
  // value that fills all 128 bytes without a terminator is taken whole.
  std::string Text() const {
    const void* zero = std::memchr(Bytes, 0, sizeof Bytes);
    const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - Bytes) : sizeof Bytes;
    return std::string(reinterpret_cast<const char*>(Bytes), length);
  }
};

std::string ReadDeviceProperty(DeviceSetupService& setup, DeviceInfoSet set, DeviceInfoRecord& record,
                               uint32_t property) {
  TextBuffer buffer;
  uint32_t dataType = 0;
  uint32_t requiredSize = 0;
  setup.SetupDiGetDeviceRegistryPropertyA(set, &record, property, &dataType, buffer.Bytes, sizeof buffer.Bytes,
                                          &requiredSize);
  return buffer.Text();
}

// The "portname" value of the device's hardware key; "None" when the key
// does not open or has no such value.
std::string ReadPortName(DeviceSetupService& setup, DeviceInfoSet set, DeviceInfoRecord& record) {
  TextBuffer buffer;
  const RegistryKeyOwner key(setup.SetupDiOpenDevRegKey(set, &record, kDicsFlagGlobal, 0, kDiregDev, kKeyQueryValue),
                             CloseRegistryKey{&setup});
  if (key.valid()) {
    uint32_t size = sizeof buffer.Bytes;
    setup.RegQueryValueExA(key.get(), "portname", nullptr, buffer.Bytes, &size);
  }
  return buffer.Text();
}

}  // namespace

int32_t ScanDeviceInventory(DeviceSetupService& setup, std::string_view classList, InventoryTable& inventoryTable) {
  const int nameCount = CountClassNames(classList);
  int32_t deviceCount = 0;
  std::vector<Guid> classGuids;

  for (int nameNumber = 1; nameNumber <= nameCount; ++nameNumber) {
    // The lookups and field 1 see at most the first 127 bytes of the name.
    char className[kWorkBufferSize] = {};
    const std::string_view name = ClassNameAt(classList, nameNumber);
    std::memcpy(className, name.data(), name.size() < kWorkBufferSize ? name.size() : kWorkBufferSize - 1);

    uint32_t guidCount = 0;
    setup.SetupDiClassGuidsFromNameA(className, nullptr, 0, &guidCount);
    if (guidCount == 0) continue;

    classGuids.assign(guidCount, Guid{});
    uint32_t requiredSize = 0;
    setup.SetupDiClassGuidsFromNameA(className, classGuids.data(), guidCount, &requiredSize);

    const DeviceInfoSetOwner devices(setup.SetupDiGetClassDevsA(&classGuids[0], nullptr, 0, kDigcfPresent),
                                     DestroyDeviceInfoList{&setup});
    if (!devices.valid()) continue;

    const std::string classText(className);
    const std::string guidText = GuidText(classGuids[0]);
    DeviceInfoRecord record{};
    record.cbSize = sizeof record;
    for (uint32_t memberIndex = 0; setup.SetupDiEnumDeviceInfo(devices.get(), memberIndex, &record); ++memberIndex) {
      ++deviceCount;
      inventoryTable.resize(static_cast<size_t>(deviceCount));
      DeviceEntry& entry = inventoryTable.back();
      entry = DeviceEntry{};
      entry.Class = classText;
      entry.Guid = guidText;
      entry.FriendlyName = ReadDeviceProperty(setup, devices.get(), record, kSpdrpFriendlyName);
      entry.Description = ReadDeviceProperty(setup, devices.get(), record, kSpdrpDeviceDesc);
      entry.Driver = ReadDeviceProperty(setup, devices.get(), record, kSpdrpDriver);
      entry.PortName = ReadPortName(setup, devices.get(), record);
    }
  }
  return deviceCount;
}
