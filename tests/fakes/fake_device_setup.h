#pragma once
// A device-setup service made of plain records: setup classes with their
// GUIDs and devices, and the ways the platform fails. It behaves as the real
// one does where the scan relies on it: a value that does not fit the buffer,
// or is missing, leaves the buffer untouched; a set or key handed out is
// counted, and so is every release.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device_setup_service.h"

class FakeDeviceSetup final : public DeviceSetupService {
 public:
  struct Device {
    // Values as stored: the fake writes them followed by a zero byte, unless
    // `unterminated` is set, in which case it writes exactly these bytes.
    std::optional<std::string> FriendlyName;
    std::optional<std::string> Description;
    std::optional<std::string> Driver;
    std::optional<std::string> PortName;
    bool Unterminated = false;
    bool HardwareKeyOpens = true;
  };

  struct SetupClass {
    std::string Name;
    std::vector<Guid> Guids;  // the devices below belong to the first one
    std::vector<Device> Devices;
    bool SetOpens = true;
    // SetupDiEnumDeviceInfo fails from this member index on, devices or not.
    uint32_t EnumerationFailsAt = UINT32_MAX;
  };

  std::vector<SetupClass> Classes;

  // Every call by operation name, with the class name for the lookups
  // ("ClassGuidsFromName:USB"); left empty unless recordCalls is set.
  bool RecordCalls = true;
  std::vector<std::string> Calls;

  int SetsOpened = 0;
  int KeysOpened = 0;
  std::map<DeviceInfoSet, int> SetReleases;  // set -> times released
  std::map<RegistryKey, int> KeyReleases;    // key -> times released

  // True when every set and key handed out was released exactly once and
  // nothing else was released.
  bool EverythingReleasedOnce() const;

  bool SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                  uint32_t* requiredSize) override;
  DeviceInfoSet SetupDiGetClassDevsA(const Guid* classGuid, const char* enumerator, std::uintptr_t parentWindow,
                                     uint32_t flags) override;
  bool SetupDiEnumDeviceInfo(DeviceInfoSet deviceInfoSet, uint32_t memberIndex,
                             DeviceInfoRecord* deviceInfoData) override;
  bool SetupDiGetDeviceRegistryPropertyA(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                         uint32_t property, uint32_t* propertyRegDataType, uint8_t* propertyBuffer,
                                         uint32_t propertyBufferSize, uint32_t* requiredSize) override;
  RegistryKey SetupDiOpenDevRegKey(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData, uint32_t scope,
                                   uint32_t hwProfile, uint32_t keyType, uint32_t samDesired) override;
  int32_t RegQueryValueExA(RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data,
                           uint32_t* dataSize) override;
  int32_t RegCloseKey(RegistryKey key) override;
  bool SetupDiDestroyDeviceInfoList(DeviceInfoSet deviceInfoSet) override;

 private:
  void Record(const std::string& call);
  const Device* DeviceOf(DeviceInfoSet set, const DeviceInfoRecord* record) const;
  bool WriteValue(const std::optional<std::string>& value, bool unterminated, uint8_t* buffer, uint32_t size) const;

  std::map<DeviceInfoSet, size_t> openSets_;  // set -> index into classes
  std::map<RegistryKey, const Device*> openKeys_;
};

// The USB setup class GUID, {36FC9E60-C465-11CF-8056-444553540000}.
constexpr Guid kUsbClassGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
