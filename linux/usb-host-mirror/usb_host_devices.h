#pragma once
// The USB host side as the platform's own device list would show it: one
// device per host controller and per hub, and the devices plugged in that
// the platform's inbox drivers put in the same class, with the ids and
// descriptions those drivers give them.

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
// followed by its root hub, then the hubs by name, then the other devices
// by name, a composite device followed by its functions. Left out:
// controllers of another programming interface, root hubs whose controller
// is not listed, and hubs and devices on a bus whose root hub is not
// listed. A controller gets one root hub however many the kernel made for
// it (an xHCI has two: one per USB generation), as the platform lists one.
//
// A device is listed only when its interface count is known and it has
// that many interfaces, each of its own number. With more than one on
// device class 00, or EF with subclass 02 and protocol 01 (the
// interface-association form), it is a "USB Composite Device", followed by
// those of its interfaces whose class is mass storage (08) or printer
// (07), each a function of its own, "...&MI_nn" (nn the interface number).
// With one on device class 00, that interface's class decides: 08 "USB
// Mass Storage Device", 07 "USB Printing Support". Any other device is
// left out, as its driver puts it in another class or none does.
//
// A device's instance id is its serial when that is 1 to 126 letters and
// digits and no other device of the topology has it (compared in either
// case, as key names are); else "5&0&" and its name, the port's own id,
// which holds what no serial can. A function's is "6&0&", the device's
// name, "&" and the interface number in four hex digits.
std::vector<MirroredDevice> MirrorUsbHostDevices(const UsbHostTopology& topology);
