#pragma once
// The registry file that gives a Wine prefix's device database the USB
// class and the mirrored devices: REGEDIT4, CR LF line ends.

#include <string>
#include <vector>

#include "usb_host_devices.h"

// The setup class "USB" and its class GUID, as the platform registers them.
extern const char kUsbClassGuidText[];

// "REGEDIT4", the class key with "Class"="USB", then one key per device in
// the given order under HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum,
// each with "ClassGUID", "DeviceDesc" and "Driver" = class GUID, "\", and
// the device's number in this file in four or more decimal digits from 0000.
std::string UsbRegistryFileText(const std::vector<MirroredDevice>& devices);
