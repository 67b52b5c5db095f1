#include "usb_host_devices.h"

#include <cstdio>
#include <map>
#include <optional>
#include <set>

namespace {

// How the platform lists a host controller of one programming interface and
// the root hub its driver makes.
struct HostControllerKind {
  uint8_t ProgrammingInterface;
  const char* Description;
  const char* RootHubDeviceId;
  const char* RootHubDescription;
};

const HostControllerKind kHostControllerKinds[] = {
    {0x00, "Standard Universal PCI to USB Host Controller", "ROOT_HUB", "USB Root Hub"},
    {0x10, "Standard OpenHCD USB Host Controller", "ROOT_HUB", "USB Root Hub"},
    {0x20, "Standard Enhanced PCI to USB Host Controller", "ROOT_HUB20", "USB Root Hub"},
    {0x30, "USB xHCI Compliant Host Controller", "ROOT_HUB30", "USB Root Hub (USB 3.0)"},
};

const char kHubDescription[] = "Generic USB Hub";
const char kSuperSpeedHubDescription[] = "Generic SuperSpeed USB Hub";

// How the platform lists a function of one interface class, a device of
// its own or part of a composite device.
struct FunctionKind {
  uint8_t InterfaceClass;
  const char* Description;
};

const FunctionKind kFunctionKinds[] = {
    {0x07, "USB Printing Support"},
    {0x08, "USB Mass Storage Device"},
};

const char kCompositeDescription[] = "USB Composite Device";

// The most a USB string descriptor holds: 126 UTF-16 units.
constexpr std::size_t kMaxSerialLength = 126;

const HostControllerKind* FindKind(uint8_t programmingInterface) {
  for (const HostControllerKind& kind : kHostControllerKinds) {
    if (kind.ProgrammingInterface == programmingInterface) return &kind;
  }
  return nullptr;
}

// Upper-case hex, at least `digits` digits.
std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

// Domain and bus, then the device/function byte, as the platform's instance
// ids write a PCI address.
std::string DomainAndBusDigits(const PciAddress& address) { return Hex(address.Domain, 4) + Hex(address.Bus, 2); }
std::string DeviceFunctionDigits(const PciAddress& address) { return Hex((address.Device << 3) | address.Function, 2); }

MirroredDevice ControllerDevice(const PciUsbController& controller, const HostControllerKind& kind) {
  // The subsystem is written device first, then vendor, as the platform does.
  const std::string deviceId = "VEN_" + Hex(controller.VendorId, 4) + "&DEV_" + Hex(controller.DeviceId, 4) +
                               "&SUBSYS_" + Hex(controller.SubsystemId, 4) + Hex(controller.SubsystemVendorId, 4) +
                               "&REV_" + Hex(controller.Revision, 2);
  const PciAddress& a = controller.Address;
  const std::string instanceId = "3&" + DomainAndBusDigits(a) + "&0&" + DeviceFunctionDigits(a);
  return {"PCI", deviceId, instanceId, kind.Description};
}

MirroredDevice RootHubDevice(const PciUsbController& controller, const HostControllerKind& kind) {
  // Unique per address: the bus and the device/function byte have a fixed width.
  const PciAddress& a = controller.Address;
  return {"USB", kind.RootHubDeviceId, "4&" + DomainAndBusDigits(a) + DeviceFunctionDigits(a) + "&0",
          kind.RootHubDescription};
}

std::string VendorProductId(uint16_t vendorId, uint16_t productId) {
  return "VID_" + Hex(vendorId, 4) + "&PID_" + Hex(productId, 4);
}

// The port's own instance id: the same for the same port on every run.
// The name is digits, "-" and "." only (the topology reader checks it).
std::string PortInstanceId(const std::string& name) { return "5&0&" + name; }

MirroredDevice HubDevice(const UsbHub& hub) {
  return {"USB", VendorProductId(hub.VendorId, hub.ProductId), PortInstanceId(hub.Name),
          hub.SuperSpeed ? kSuperSpeedHubDescription : kHubDescription};
}

const char* FunctionDescription(const std::optional<uint8_t>& interfaceClass) {
  for (const FunctionKind& kind : kFunctionKinds) {
    if (interfaceClass == kind.InterfaceClass) return kind.Description;
  }
  return nullptr;
}

bool IsLetterOrDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The serial as a key name compares it, letters in upper case; nothing
// when it is not one that may name a key.
std::optional<std::string> SerialKey(const std::optional<std::string>& serial) {
  if (!serial || serial->empty() || serial->size() > kMaxSerialLength) return std::nullopt;
  std::string key;
  for (const char c : *serial) {
    if (!IsLetterOrDigit(c)) return std::nullopt;
    key += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return key;
}

// What the platform's generic parent driver takes: more than one interface
// on a device of class 00, or EF/02/01 (interface association).
bool IsComposite(const UsbDevice& device) {
  return device.Interfaces.size() > 1 &&
         (device.DeviceClass == 0x00 ||
          (device.DeviceClass == 0xEF && device.DeviceSubClass == 0x02 && device.DeviceProtocol == 0x01));
}

// As many interfaces as the device says, none sharing a number.
bool InterfacesMatchTheirCount(const UsbDevice& device) {
  if (!device.InterfaceCount || device.Interfaces.size() != *device.InterfaceCount) return false;
  std::set<uint8_t> numbers;
  for (const UsbInterface& each : device.Interfaces) numbers.insert(each.Number);
  return numbers.size() == device.Interfaces.size();
}

// The device, and a composite device's functions, where the platform puts
// them in its USB class.
void AddPluggedDevice(const UsbDevice& device, const std::string& instanceId, std::vector<MirroredDevice>& devices) {
  if (!InterfacesMatchTheirCount(device)) return;
  const std::string deviceId = VendorProductId(device.VendorId, device.ProductId);
  if (!IsComposite(device)) {
    // One function: with device class 00 its one interface tells what it
    // is; a device of any other class is not one of these.
    const char* description = FunctionDescription(
        device.Interfaces.size() == 1 && device.DeviceClass == 0x00 ? device.Interfaces[0].Class : std::nullopt);
    if (description != nullptr) devices.push_back({"USB", deviceId, instanceId, description});
    return;
  }
  devices.push_back({"USB", deviceId, instanceId, kCompositeDescription});
  for (const UsbInterface& function : device.Interfaces) {
    const char* description = FunctionDescription(function.Class);
    if (description == nullptr) continue;
    devices.push_back({"USB", deviceId + "&MI_" + Hex(function.Number, 2),
                       "6&0&" + device.Name + "&" + Hex(function.Number, 4), description});
  }
}

}  // namespace

const char* HostControllerDescription(uint8_t programmingInterface) {
  const HostControllerKind* kind = FindKind(programmingInterface);
  return kind ? kind->Description : nullptr;
}

std::vector<MirroredDevice> MirrorUsbHostDevices(const UsbHostTopology& topology) {
  std::vector<MirroredDevice> devices;
  std::set<uint32_t> listedBuses;
  for (const PciUsbController& controller : topology.Controllers) {
    const HostControllerKind* kind = FindKind(controller.ProgrammingInterface);
    if (!kind) continue;
    devices.push_back(ControllerDevice(controller, *kind));
    bool hasRootHub = false;
    for (const UsbRootHub& rootHub : topology.RootHubs) {
      if (!rootHub.Controller || !(*rootHub.Controller == controller.Address)) continue;
      listedBuses.insert(rootHub.BusNumber);
      hasRootHub = true;
    }
    if (hasRootHub) devices.push_back(RootHubDevice(controller, *kind));
  }
  for (const UsbHub& hub : topology.Hubs) {
    if (listedBuses.count(hub.BusNumber) != 0) devices.push_back(HubDevice(hub));
  }

  // Every device counts, listed or not: a serial two devices show is
  // nobody's.
  std::map<std::string, int> serialUses;
  for (const UsbDevice& device : topology.Devices) {
    if (const std::optional<std::string> key = SerialKey(device.Serial)) ++serialUses[*key];
  }
  for (const UsbDevice& device : topology.Devices) {
    if (listedBuses.count(device.BusNumber) == 0) continue;
    const std::optional<std::string> key = SerialKey(device.Serial);
    AddPluggedDevice(device, key && serialUses[*key] == 1 ? *device.Serial : PortInstanceId(device.Name), devices);
  }
  return devices;
}
