#pragma once
// The USB host side as the platform's own device list would show it: one
// device per host controller and per hub, with the ids and descriptions the
// platform's inbox drivers give them.

#include <cstdint>
#include <string>
#include <vector>

#include "usb_host_topology.h"

// One device: its registry key is Enum\<enumerator>\<deviceId>\<instanceId>.
// The ids hold only characters valid in a key name (never a backslash).
struct MirroredDevice {
  std::string Enumerator;   // "PCI" or "USB"
  std::string DeviceId;     // "VEN_8086&DEV_24CD&SUBSYS_01261028&REV_01", "ROOT_HUB20"
  std::string InstanceId;   // "3&000000&0&EF"
  std::string Description;  // "Standard Enhanced PCI to USB Host Controller"
};

// The inbox driver's description of a host controller with this programming
// interface (UHCI, OHCI, EHCI, xHCI); nullptr for any other interface, which
// the platform has no inbox USB host driver for.
const char* HostControllerDescription(uint8_t programmingInterface);

// The devices in a stable order: the host controllers by PCI address, each
// followed by its root hub, then the hubs by name. Left out: controllers of
// another programming interface, root hubs whose controller is not listed,
// and hubs on a bus whose root hub is not listed. A controller gets one
// root hub however many the kernel made for it (an xHCI has two: one per
// USB generation), as the platform lists one.
std::vector<MirroredDevice> MirrorUsbHostDevices(const UsbHostTopology& topology);
