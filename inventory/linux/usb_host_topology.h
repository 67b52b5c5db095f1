#pragma once
// What the kernel's device tree says about the machine's USB host side: the
// PCI USB controllers, the root hubs the kernel made for them and the hubs
// plugged in below. Read from a sysfs root given as a parameter, so a copied
// or hand-made tree serves as well as /sys.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A PCI function's address, as in the kernel's name "0000:00:1d.7"
// (domain, bus, device, function).
struct PciAddress {
  uint32_t domain = 0;
  uint32_t bus = 0;
  uint32_t device = 0;
  uint32_t function = 0;
};
bool operator==(const PciAddress& a, const PciAddress& b);
bool operator<(const PciAddress& a, const PciAddress& b);

// "DDDD:BB:dd.f" with hex digits in either case: a domain of 1 to 8 digits,
// a bus of 1 or 2, a device of 1 or 2 (at most 0x1F) and a function 0 to 7.
// Nothing for any other text.
std::optional<PciAddress> ParsePciAddress(std::string_view text);

// A PCI device of class 0x0C03 (serial bus controller, USB).
struct PciUsbController {
  std::string name;  // the sysfs name, "0000:00:1d.7"
  PciAddress address;
  // The class's low byte: 0x00 UHCI, 0x10 OHCI, 0x20 EHCI, 0x30 xHCI; other
  // values are kept as read.
  uint8_t programmingInterface = 0;
  // The identity fields; 0 where the file is missing or unreadable.
  uint16_t vendorId = 0;
  uint16_t deviceId = 0;
  uint16_t subsystemVendorId = 0;
  uint16_t subsystemId = 0;
  uint8_t revision = 0;
};

// A root hub: the kernel's "usbN", the hub at the top of bus N.
struct UsbRootHub {
  std::string name;
  uint32_t busNumber = 0;
  // The PCI controller it belongs to, when the tree tells.
  std::optional<PciAddress> controller;
};

// A hub plugged in below a root hub: a USB device of device class 09.
struct UsbHub {
  std::string name;  // "1-1", "2-1.4": bus, then the ports on the way
  uint32_t busNumber = 0;
  uint16_t vendorId = 0;  // 0 where the file is missing or unreadable
  uint16_t productId = 0;
  bool superSpeed = false;  // the hub runs at USB 3 speed (5 Gbit/s or more)
};

struct UsbHostTopology {
  std::vector<PciUsbController> controllers;  // by PCI address, one per address
  std::vector<UsbRootHub> rootHubs;           // by bus number
  std::vector<UsbHub> hubs;                   // by name, its numbers compared as numbers
};

// Reads <sysfsRoot>/bus/pci/devices/* and <sysfsRoot>/bus/usb/devices/*.
// Missing folders give no entries; an entry whose deciding file (a PCI
// class, a hub's device class) is missing or unreadable is left out; an
// unreadable identity field reads 0. Never throws for anything in the tree.
//
// Links are followed to reach the device folders, and only to ones inside
// the root (links resolved): an entry leading out of it, or nowhere, is
// left out. The files in a device's folder are never read through a link.
//
// A root hub's controller is the PCI device whose folder holds the root
// hub's folder (the kernel's layout, seen by resolving links), or else the
// PCI address the kernel writes as the root hub's "serial".
UsbHostTopology ReadUsbHostTopology(const std::filesystem::path& sysfsRoot);

// Whether a device's "speed" (Mbit/s: "480", "5000") says USB 3 speed. When
// the speed is missing or unparsable, its "version" (" 3.00") decides.
bool IsSuperSpeed(const std::optional<std::string>& speed, const std::optional<std::string>& version);
