#include "fake_device_setup.h"

#include <cstring>

namespace {

constexpr DeviceInfoSet kFirstSet = 0x1000;
constexpr RegistryKey kFirstKey = 0x80000;
constexpr int32_t kErrorSuccess = 0;
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorMoreData = 234;

bool SameGuid(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

void FakeDeviceSetup::Record(const std::string& call) {
  if (RecordCalls) Calls.push_back(call);
}

bool FakeDeviceSetup::EverythingReleasedOnce() const {
  if (static_cast<int>(SetReleases.size()) != SetsOpened || static_cast<int>(KeyReleases.size()) != KeysOpened)
    return false;
  for (const auto& [set, times] : SetReleases)
    if (times != 1 || set < kFirstSet || set >= kFirstSet + static_cast<DeviceInfoSet>(SetsOpened)) return false;
  for (const auto& [key, times] : KeyReleases)
    if (times != 1 || key < kFirstKey || key >= kFirstKey + static_cast<RegistryKey>(KeysOpened)) return false;
  return true;
}

bool FakeDeviceSetup::SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                                 uint32_t* requiredSize) {
  Record(std::string("ClassGuidsFromName:") + className);
  std::vector<Guid> found;
  for (const SetupClass& c : Classes)
    if (c.Name == className) found.insert(found.end(), c.Guids.begin(), c.Guids.end());
  for (uint32_t i = 0; i < found.size() && i < classGuidListSize; ++i) classGuidList[i] = found[i];
  if (requiredSize) *requiredSize = static_cast<uint32_t>(found.size());
  return !found.empty() && found.size() <= classGuidListSize;
}

DeviceInfoSet FakeDeviceSetup::SetupDiGetClassDevsA(const Guid* classGuid, const char*, std::uintptr_t, uint32_t) {
  Record("GetClassDevs");
  for (size_t i = 0; i < Classes.size(); ++i) {
    const SetupClass& c = Classes[i];
    if (c.Guids.empty() || !SameGuid(c.Guids[0], *classGuid)) continue;
    if (!c.SetOpens) return kInvalidHandleValue;
    const DeviceInfoSet set = kFirstSet + static_cast<DeviceInfoSet>(SetsOpened++);
    openSets_[set] = i;
    return set;
  }
  // A class with no devices of its own still gives an empty set.
  const DeviceInfoSet set = kFirstSet + static_cast<DeviceInfoSet>(SetsOpened++);
  openSets_[set] = Classes.size();
  return set;
}

bool FakeDeviceSetup::SetupDiEnumDeviceInfo(DeviceInfoSet deviceInfoSet, uint32_t memberIndex,
                                            DeviceInfoRecord* deviceInfoData) {
  Record("EnumDeviceInfo");
  const auto open = openSets_.find(deviceInfoSet);
  if (open == openSets_.end() || open->second >= Classes.size()) return false;
  const SetupClass& c = Classes[open->second];
  if (memberIndex >= c.EnumerationFailsAt || memberIndex >= c.Devices.size()) return false;
  if (deviceInfoData->cbSize != sizeof(DeviceInfoRecord)) return false;
  deviceInfoData->ClassGuid = c.Guids[0];
  deviceInfoData->DevInst = memberIndex;
  return true;
}

const FakeDeviceSetup::Device* FakeDeviceSetup::DeviceOf(DeviceInfoSet set, const DeviceInfoRecord* record) const {
  const auto open = openSets_.find(set);
  if (open == openSets_.end() || open->second >= Classes.size()) return nullptr;
  const SetupClass& c = Classes[open->second];
  return record->DevInst < c.Devices.size() ? &c.Devices[record->DevInst] : nullptr;
}

bool FakeDeviceSetup::WriteValue(const std::optional<std::string>& value, bool unterminated, uint8_t* buffer,
                                 uint32_t size) const {
  if (!value) return false;
  const size_t needed = value->size() + (unterminated ? 0 : 1);
  if (needed > size) return false;  // too small: the buffer stays untouched
  std::memcpy(buffer, value->data(), value->size());
  if (!unterminated) buffer[value->size()] = 0;
  return true;
}

bool FakeDeviceSetup::SetupDiGetDeviceRegistryPropertyA(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                                        uint32_t property, uint32_t*, uint8_t* propertyBuffer,
                                                        uint32_t propertyBufferSize, uint32_t*) {
  Record("GetDeviceRegistryProperty:" + std::to_string(property));
  const Device* device = DeviceOf(deviceInfoSet, deviceInfoData);
  if (!device) return false;
  const std::optional<std::string>* value = property == kSpdrpFriendlyName ? &device->FriendlyName
                                            : property == kSpdrpDeviceDesc ? &device->Description
                                            : property == kSpdrpDriver     ? &device->Driver
                                                                           : nullptr;
  return value && WriteValue(*value, device->Unterminated, propertyBuffer, propertyBufferSize);
}

RegistryKey FakeDeviceSetup::SetupDiOpenDevRegKey(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                                  uint32_t, uint32_t, uint32_t, uint32_t) {
  Record("OpenDevRegKey");
  const Device* device = DeviceOf(deviceInfoSet, deviceInfoData);
  if (!device || !device->HardwareKeyOpens) return kInvalidHandleValue;
  const RegistryKey key = kFirstKey + static_cast<RegistryKey>(KeysOpened++);
  openKeys_[key] = device;
  return key;
}

int32_t FakeDeviceSetup::RegQueryValueExA(RegistryKey key, const char* valueName, uint32_t*, uint8_t* data,
                                          uint32_t* dataSize) {
  Record(std::string("RegQueryValueEx:") + valueName);
  const auto open = openKeys_.find(key);
  if (open == openKeys_.end() || std::strcmp(valueName, "portname") != 0 || !open->second->PortName)
    return kErrorFileNotFound;
  const Device& device = *open->second;
  return WriteValue(device.PortName, device.Unterminated, data, *dataSize) ? kErrorSuccess : kErrorMoreData;
}

int32_t FakeDeviceSetup::RegCloseKey(RegistryKey key) {
  Record("RegCloseKey");
  ++KeyReleases[key];
  openKeys_.erase(key);
  return kErrorSuccess;
}

bool FakeDeviceSetup::SetupDiDestroyDeviceInfoList(DeviceInfoSet deviceInfoSet) {
  Record("DestroyDeviceInfoList");
  ++SetReleases[deviceInfoSet];
  openSets_.erase(deviceInfoSet);
  return true;
}
