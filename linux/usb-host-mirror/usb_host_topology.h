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
  uint32_t Domain = 0;
  uint32_t Bus = 0;
  uint32_t Device = 0;
  uint32_t Function = 0;
};
bool operator==(const PciAddress& a, const PciAddress& b);
bool operator<(const PciAddress& a, const PciAddress& b);

// "DDDD:BB:dd.f" with hex digits in either case: a domain of 1 to 8 digits,
// a bus of 1 or 2, a device of 1 or 2 (at most 0x1F) and a function 0 to 7.
// Nothing for any other text.
std::optional<PciAddress> ParsePciAddress(std::string_view text);

// A PCI device of class 0x0C03 (serial bus controller, USB).
struct PciUsbController {
  std::string Name;  // the sysfs name, "0000:00:1d.7"
  PciAddress Address;
  // The class's low byte: 0x00 UHCI, 0x10 OHCI, 0x20 EHCI, 0x30 xHCI; other
  // values are kept as read.
  uint8_t ProgrammingInterface = 0;
  // The identity fields; 0 where the file is missing or unreadable.
  uint16_t VendorId = 0;
  uint16_t DeviceId = 0;
  uint16_t SubsystemVendorId = 0;
  uint16_t SubsystemId = 0;
  uint8_t Revision = 0;
};

// A root hub: the kernel's "usbN", the hub at the top of bus N.
struct UsbRootHub {
  std::string Name;
  uint32_t BusNumber = 0;
  // The PCI controller it belongs to, when the tree tells.
  std::optional<PciAddress> Controller;
};

// A hub plugged in below a root hub: a USB device of device class 09.
struct UsbHub {
  std::string Name;  // "1-1", "2-1.4": bus, then the ports on the way
  uint32_t BusNumber = 0;
  uint16_t VendorId = 0;  // 0 where the file is missing or unreadable
  uint16_t ProductId = 0;
  bool SuperSpeed = false;  // the hub runs at USB 3 speed (5 Gbit/s or more)
};

// One interface of a device's configuration: a folder "B-P:C.I" inside the
// device's folder.
struct UsbInterface {
  uint8_t Number = 0;            // I, the interface number (decimal in the name)
  std::optional<uint8_t> Class;  // bInterfaceClass; nothing where unreadable
};

// A USB device plugged in below a root hub that is not a hub, as the kernel
// describes it. Which of these the platform lists, and how, the mirror
// decides.
struct UsbDevice {
  std::string Name;  // as a hub's
  uint32_t BusNumber = 0;
  uint16_t VendorId = 0;  // 0 where the file is missing or unreadable
  uint16_t ProductId = 0;
  uint8_t DeviceClass = 0;
  uint8_t DeviceSubClass = 0;  // 0 where the file is missing or unreadable
  uint8_t DeviceProtocol = 0;
  std::optional<uint32_t> InterfaceCount;  // bNumInterfaces; nothing where missing or unreadable
  std::vector<UsbInterface> Interfaces;    // one per folder, by number
  std::optional<std::string> Serial;       // as read: any text, not checked
};

struct UsbHostTopology {
  std::vector<PciUsbController> Controllers;  // by PCI address, one per address
  std::vector<UsbRootHub> RootHubs;           // by bus number
  std::vector<UsbHub> Hubs;                   // by name, its numbers compared as numbers
  std::vector<UsbDevice> Devices;             // by name, as the hubs
};

// Reads <sysfsRoot>/bus/pci/devices/* and <sysfsRoot>/bus/usb/devices/*.
// Missing folders give no entries; an entry whose deciding file (a PCI
// class, a USB device's device class) is missing or unreadable is left out;
// an unreadable identity field reads 0. Never throws for anything in the
// tree. A device's interfaces are the folders in its own folder; the
// interface entries of bus/usb/devices are not read, so one without its
// device adds nothing.
//
// Links are followed to reach the device folders, and only to ones inside
// the root (links resolved): an entry leading out of it, or nowhere, is
// left out. The files in a device's folder, and its interface folders, are
// never read through a link.
//
// A root hub's controller is the PCI device whose folder holds the root
// hub's folder (the kernel's layout, seen by resolving links), or else the
// PCI address the kernel writes as the root hub's "serial".
UsbHostTopology ReadUsbHostTopology(const std::filesystem::path& sysfsRoot);

// Whether a device's "speed" (Mbit/s: "480", "5000") says USB 3 speed. When
// the speed is missing or unparsable, its "version" (" 3.00") decides.
bool IsSuperSpeed(const std::optional<std::string>& speed, const std::optional<std::string>& version);
