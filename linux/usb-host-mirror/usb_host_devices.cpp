#include "usb_host_devices.h"

#include <cstdio>
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

MirroredDevice HubDevice(const UsbHub& hub) {
  // The name is digits, "-" and "." only (the topology reader checks it).
  return {"USB", "VID_" + Hex(hub.VendorId, 4) + "&PID_" + Hex(hub.ProductId, 4), "5&0&" + hub.Name,
          hub.SuperSpeed ? kSuperSpeedHubDescription : kHubDescription};
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
  return devices;
}
