#pragma once
// The device-setup service over the real setupapi and registry.

#include "device_setup_service.h"

class Win32DeviceSetup final : public DeviceSetupService {
 public:
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
};
