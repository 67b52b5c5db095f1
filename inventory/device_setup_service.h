#pragma once
// The platform's device-setup service as the device scan uses it: one method
// per platform operation, with the platform's own name and arguments, so the
// scan reads like the platform calls it makes and a fake can reproduce every
// way the platform answers (a buffer left untouched, a set or key that does
// not open, an enumeration that ends).

#include <cstdint>

#include "guid_text.h"

// HDEVINFO and HKEY, carried as opaque values.
using DeviceInfoSet = std::uintptr_t;
using RegistryKey = std::uintptr_t;

// The platform's INVALID_HANDLE_VALUE, as a set or a key.
constexpr std::uintptr_t kInvalidHandleValue = ~std::uintptr_t{0};

// The platform's SP_DEVINFO_DATA (28 bytes for 32-bit, 32 for 64-bit). The scan
// only sets its size and hands it back to designate the current device.
// NOLINTBEGIN(readability-identifier-naming): the platform's own field names.
struct DeviceInfoRecord {
  uint32_t cbSize;
  Guid ClassGuid;
  uint32_t DevInst;
  std::uintptr_t Reserved;
};
// NOLINTEND(readability-identifier-naming)

// The platform's constants the scan passes (DIGCF_PRESENT, SPDRP_*, ...),
// under names that do not clash with the platform headers' macros.
constexpr uint32_t kDigcfPresent = 0x2;
constexpr uint32_t kSpdrpDeviceDesc = 0;
constexpr uint32_t kSpdrpDriver = 9;
constexpr uint32_t kSpdrpFriendlyName = 12;
constexpr uint32_t kDicsFlagGlobal = 1;
constexpr uint32_t kDiregDev = 1;
constexpr uint32_t kKeyQueryValue = 1;

class DeviceSetupService {
 public:
  virtual ~DeviceSetupService() = default;

  // Fills up to classGuidListSize GUIDs registered under the name and writes
  // their number to *requiredSize (0 when the name has none).
  virtual bool SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                          uint32_t* requiredSize) = 0;

  // The devices of one class; kInvalidHandleValue when the set cannot be made.
  virtual DeviceInfoSet SetupDiGetClassDevsA(const Guid* classGuid, const char* enumerator, std::uintptr_t parentWindow,
                                             uint32_t flags) = 0;

  // FALSE when there is no device at memberIndex, or the call fails.
  virtual bool SetupDiEnumDeviceInfo(DeviceInfoSet deviceInfoSet, uint32_t memberIndex,
                                     DeviceInfoRecord* deviceInfoData) = 0;

  // Writes a text property into the buffer; leaves the buffer untouched when
  // the device has no such property or the buffer is too small.
  virtual bool SetupDiGetDeviceRegistryPropertyA(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                                 uint32_t property, uint32_t* propertyRegDataType,
                                                 uint8_t* propertyBuffer, uint32_t propertyBufferSize,
                                                 uint32_t* requiredSize) = 0;

  // The device's hardware key, or kInvalidHandleValue.
  virtual RegistryKey SetupDiOpenDevRegKey(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                           uint32_t scope, uint32_t hwProfile, uint32_t keyType,
                                           uint32_t samDesired) = 0;

  // Writes the value's data into the buffer; leaves it untouched when the
  // value does not exist. (The platform's reserved argument is always null.)
  virtual int32_t RegQueryValueExA(RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data,
                                   uint32_t* dataSize) = 0;

  virtual int32_t RegCloseKey(RegistryKey key) = 0;

  virtual bool SetupDiDestroyDeviceInfoList(DeviceInfoSet deviceInfoSet) = 0;
};
