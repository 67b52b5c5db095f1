#include "win32_device_setup.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <cstddef>

// The portable records are the platform's own, byte for byte.
static_assert(sizeof(Guid) == sizeof(GUID), "Guid matches GUID");
static_assert(sizeof(DeviceInfoRecord) == sizeof(SP_DEVINFO_DATA), "DeviceInfoRecord matches SP_DEVINFO_DATA");
static_assert(offsetof(DeviceInfoRecord, ClassGuid) == offsetof(SP_DEVINFO_DATA, ClassGuid), "ClassGuid offset");
static_assert(offsetof(DeviceInfoRecord, DevInst) == offsetof(SP_DEVINFO_DATA, DevInst), "DevInst offset");
static_assert(sizeof(DWORD) == sizeof(uint32_t), "DWORD is 32 bits");
static_assert(kDigcfPresent == DIGCF_PRESENT && kSpdrpDeviceDesc == SPDRP_DEVICEDESC && kSpdrpDriver == SPDRP_DRIVER &&
                  kSpdrpFriendlyName == SPDRP_FRIENDLYNAME && kDicsFlagGlobal == DICS_FLAG_GLOBAL &&
                  kDiregDev == DIREG_DEV && kKeyQueryValue == KEY_QUERY_VALUE,
              "the scan's constants are the platform's");

namespace {

HDEVINFO AsDevInfo(DeviceInfoSet set) { return reinterpret_cast<HDEVINFO>(set); }
SP_DEVINFO_DATA* AsDevInfoData(DeviceInfoRecord* record) { return reinterpret_cast<SP_DEVINFO_DATA*>(record); }
HKEY AsKey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

bool Win32DeviceSetup::SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList,
                                                  uint32_t classGuidListSize, uint32_t* requiredSize) {
  return ::SetupDiClassGuidsFromNameA(className, reinterpret_cast<GUID*>(classGuidList), classGuidListSize,
                                      reinterpret_cast<DWORD*>(requiredSize)) != FALSE;
}

DeviceInfoSet Win32DeviceSetup::SetupDiGetClassDevsA(const Guid* classGuid, const char* enumerator,
                                                     std::uintptr_t parentWindow, uint32_t flags) {
  return reinterpret_cast<DeviceInfoSet>(::SetupDiGetClassDevsA(reinterpret_cast<const GUID*>(classGuid), enumerator,
                                                                reinterpret_cast<HWND>(parentWindow), flags));
}

bool Win32DeviceSetup::SetupDiEnumDeviceInfo(DeviceInfoSet deviceInfoSet, uint32_t memberIndex,
                                             DeviceInfoRecord* deviceInfoData) {
  return ::SetupDiEnumDeviceInfo(AsDevInfo(deviceInfoSet), memberIndex, AsDevInfoData(deviceInfoData)) != FALSE;
}

bool Win32DeviceSetup::SetupDiGetDeviceRegistryPropertyA(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                                         uint32_t property, uint32_t* propertyRegDataType,
                                                         uint8_t* propertyBuffer, uint32_t propertyBufferSize,
                                                         uint32_t* requiredSize) {
  return ::SetupDiGetDeviceRegistryPropertyA(AsDevInfo(deviceInfoSet), AsDevInfoData(deviceInfoData), property,
                                             reinterpret_cast<DWORD*>(propertyRegDataType), propertyBuffer,
                                             propertyBufferSize, reinterpret_cast<DWORD*>(requiredSize)) != FALSE;
}

RegistryKey Win32DeviceSetup::SetupDiOpenDevRegKey(DeviceInfoSet deviceInfoSet, DeviceInfoRecord* deviceInfoData,
                                                   uint32_t scope, uint32_t hwProfile, uint32_t keyType,
                                                   uint32_t samDesired) {
  return reinterpret_cast<RegistryKey>(::SetupDiOpenDevRegKey(AsDevInfo(deviceInfoSet), AsDevInfoData(deviceInfoData),
                                                              scope, hwProfile, keyType, samDesired));
}

int32_t Win32DeviceSetup::RegQueryValueExA(RegistryKey key, const char* valueName, uint32_t* type, uint8_t* data,
                                           uint32_t* dataSize) {
  return ::RegQueryValueExA(AsKey(key), valueName, nullptr, reinterpret_cast<DWORD*>(type), data,
                            reinterpret_cast<DWORD*>(dataSize));
}

int32_t Win32DeviceSetup::RegCloseKey(RegistryKey key) { return ::RegCloseKey(AsKey(key)); }

bool Win32DeviceSetup::SetupDiDestroyDeviceInfoList(DeviceInfoSet deviceInfoSet) {
  return ::SetupDiDestroyDeviceInfoList(AsDevInfo(deviceInfoSet)) != FALSE;
}
