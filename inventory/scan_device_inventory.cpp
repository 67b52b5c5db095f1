#include "scan_device_inventory.h"

#include <cstring>
#include <vector>

#include "class_list.h"

namespace {

// Every text from the platform passes through a buffer of this size.
constexpr size_t kWorkBufferSize = 128;

const char kNone[] = "None";

// Owns one device information set while its devices are enumerated.
class DeviceInfoSetOwner {
 public:
  DeviceInfoSetOwner(DeviceSetupService& setup, DeviceInfoSet set) : setup_(setup), set_(set) {}
  ~DeviceInfoSetOwner() { setup_.SetupDiDestroyDeviceInfoList(set_); }
  DeviceInfoSetOwner(const DeviceInfoSetOwner&) = delete;
  DeviceInfoSetOwner& operator=(const DeviceInfoSetOwner&) = delete;
  DeviceInfoSet get() const { return set_; }

 private:
  DeviceSetupService& setup_;
  DeviceInfoSet set_;
};

// Owns one device's hardware key while its port name is read.
class RegistryKeyOwner {
 public:
  RegistryKeyOwner(DeviceSetupService& setup, RegistryKey key) : setup_(setup), key_(key) {}
  ~RegistryKeyOwner() { setup_.RegCloseKey(key_); }
  RegistryKeyOwner(const RegistryKeyOwner&) = delete;
  RegistryKeyOwner& operator=(const RegistryKeyOwner&) = delete;
  RegistryKey get() const { return key_; }

 private:
  DeviceSetupService& setup_;
  RegistryKey key_;
};

// A work buffer preset to "None", as every property and value read starts.
struct TextBuffer {
  uint8_t bytes[kWorkBufferSize];
  TextBuffer() { std::memcpy(bytes, kNone, sizeof kNone); }

  // The bytes before the first zero byte, never past the buffer's end: a
  // value that fills all 128 bytes without a terminator is taken whole.
  std::string Text() const {
    const void* zero = std::memchr(bytes, 0, sizeof bytes);
    const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : sizeof bytes;
    return std::string(reinterpret_cast<const char*>(bytes), length);
  }
};

std::string ReadDeviceProperty(DeviceSetupService& setup, DeviceInfoSet set, DeviceInfoRecord& record,
                               uint32_t property) {
  TextBuffer buffer;
  uint32_t dataType = 0;
  uint32_t requiredSize = 0;
  setup.SetupDiGetDeviceRegistryPropertyA(set, &record, property, &dataType, buffer.bytes, sizeof buffer.bytes,
                                          &requiredSize);
  return buffer.Text();
}

// The "portname" value of the device's hardware key; "None" when the key
// does not open or has no such value.
std::string ReadPortName(DeviceSetupService& setup, DeviceInfoSet set, DeviceInfoRecord& record) {
  TextBuffer buffer;
  const RegistryKey key = setup.SetupDiOpenDevRegKey(set, &record, kDicsFlagGlobal, 0, kDiregDev, kKeyQueryValue);
  if (key != kInvalidHandleValue) {
    RegistryKeyOwner owner(setup, key);
    uint32_t size = sizeof buffer.bytes;
    setup.RegQueryValueExA(owner.get(), "portname", nullptr, buffer.bytes, &size);
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

    const DeviceInfoSet set = setup.SetupDiGetClassDevsA(&classGuids[0], nullptr, 0, kDigcfPresent);
    if (set == kInvalidHandleValue) continue;
    DeviceInfoSetOwner owner(setup, set);

    const std::string classText(className);
    const std::string guidText = GuidText(classGuids[0]);
    DeviceInfoRecord record{};
    record.cbSize = sizeof record;
    for (uint32_t memberIndex = 0; setup.SetupDiEnumDeviceInfo(owner.get(), memberIndex, &record); ++memberIndex) {
      ++deviceCount;
      inventoryTable.resize(static_cast<size_t>(deviceCount));
      DeviceEntry& entry = inventoryTable.back();
      entry = DeviceEntry{};
      entry.Class = classText;
      entry.Guid = guidText;
      entry.FriendlyName = ReadDeviceProperty(setup, owner.get(), record, kSpdrpFriendlyName);
      entry.Description = ReadDeviceProperty(setup, owner.get(), record, kSpdrpDeviceDesc);
      entry.Driver = ReadDeviceProperty(setup, owner.get(), record, kSpdrpDriver);
      entry.PortName = ReadPortName(setup, owner.get(), record);
    }
  }
  return deviceCount;
}
