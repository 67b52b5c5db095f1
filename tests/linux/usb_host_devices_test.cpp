#include "usb_host_devices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sysfs_tree.h"

namespace {

// "<enumerator>\<device id>\<instance id>" and the description: the key
// below Enum and what it shows.
using KeyAndDescription = std::pair<std::string, std::string>;
std::vector<KeyAndDescription> Lines(const std::vector<MirroredDevice>& devices) {
  std::vector<KeyAndDescription> lines;
  lines.reserve(devices.size());
  for (const MirroredDevice& d : devices)
    lines.emplace_back(d.Enumerator + "\\" + d.DeviceId + "\\" + d.InstanceId, d.Description);
  return lines;
}

std::vector<KeyAndDescription> MirrorFixture(const std::string& name) {
  TemporaryFolder root;
  EXPECT_EQ(BuildSysfsTree(SysfsFixture(name + ".tree"), root.path()), "");
  return Lines(MirrorUsbHostDevices(ReadUsbHostTopology(root.path())));
}

PciUsbController Controller(PciAddress address, uint8_t programmingInterface) {
  PciUsbController controller;
  char name[40];
  std::snprintf(name, sizeof name, "%04x:%02x:%02x.%x", address.Domain, address.Bus, address.Device, address.Function);
  controller.Name = name;
  controller.Address = address;
  controller.ProgrammingInterface = programmingInterface;
  controller.VendorId = 0x8086;
  controller.DeviceId = 0x24CD;
  controller.SubsystemVendorId = 0x1028;
  controller.SubsystemId = 0x0126;
  controller.Revision = 0x01;
  return controller;
}

constexpr PciAddress kAddress = {0, 0, 0x1d, 7};

// An EHCI with its root hub on bus 1, the devices given on it, and a root
// hub of no listed controller on bus 2.
UsbHostTopology MachineWith(std::vector<UsbDevice> devices) {
  UsbHostTopology topology;
  topology.Controllers = {Controller(kAddress, 0x20)};
  topology.RootHubs = {{"usb1", 1, kAddress}, {"usb2", 2, std::nullopt}};
  topology.Devices = std::move(devices);
  return topology;
}

// The lines after the controller's and its root hub's.
std::vector<KeyAndDescription> PluggedDeviceLines(const UsbHostTopology& topology) {
  std::vector<KeyAndDescription> lines = Lines(MirrorUsbHostDevices(topology));
  EXPECT_GE(lines.size(), 2u);
  if (lines.size() < 2) return lines;
  return std::vector<KeyAndDescription>(lines.begin() + 2, lines.end());
}

// A device of class 00 on bus 1 (its name's bus) with one interface per
// class given, numbered from 0, and as many in its count.
UsbDevice Device(const std::string& name, std::vector<std::optional<uint8_t>> classes,
                 std::optional<std::string> serial = std::nullopt) {
  UsbDevice device;
  device.Name = name;
  device.BusNumber = static_cast<uint32_t>(name[0] - '0');
  device.VendorId = 0x0781;
  device.ProductId = 0x5567;
  device.InterfaceCount = static_cast<uint32_t>(classes.size());
  for (std::size_t i = 0; i < classes.size(); ++i) device.Interfaces.push_back({static_cast<uint8_t>(i), classes[i]});
  device.Serial = std::move(serial);
  return device;
}

const char kMassStorage[] = "USB Mass Storage Device";
const char kPrinting[] = "USB Printing Support";
const char kComposite[] = "USB Composite Device";

TEST(HostControllerDescription, TheInboxDriversOfTheFourStandardInterfaces) {
  struct Case {
    uint8_t ProgrammingInterface;
    const char* Description;  // nullptr: no inbox host driver
  };
  const Case cases[] = {
      {0x00, "Standard Universal PCI to USB Host Controller"},
      {0x10, "Standard OpenHCD USB Host Controller"},
      {0x20, "Standard Enhanced PCI to USB Host Controller"},
      {0x30, "USB xHCI Compliant Host Controller"},
      {0x01, nullptr},
      {0x40, nullptr},  // USB4 host interface
      {0x80, nullptr},  // unspecified host controller
      {0xFE, nullptr},  // USB device, not a host
      {0xFF, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.ProgrammingInterface));
    const char* description = HostControllerDescription(c.ProgrammingInterface);
    if (c.Description == nullptr) {
      EXPECT_EQ(description, nullptr);
    } else {
      ASSERT_NE(description, nullptr);
      EXPECT_STREQ(description, c.Description);
    }
  }
}

TEST(MirrorUsbHostDevices, EveryProgrammingInterfaceWithItsRootHub) {
  struct Case {
    uint8_t ProgrammingInterface;
    std::vector<KeyAndDescription> Lines;
  };
  const std::string controllerKey = "PCI\\VEN_8086&DEV_24CD&SUBSYS_01261028&REV_01\\3&000000&0&EF";
  const Case cases[] = {
      {0x00,
       {{controllerKey, "Standard Universal PCI to USB Host Controller"},
        {"USB\\ROOT_HUB\\4&000000EF&0", "USB Root Hub"}}},
      {0x10,
       {{controllerKey, "Standard OpenHCD USB Host Controller"}, {"USB\\ROOT_HUB\\4&000000EF&0", "USB Root Hub"}}},
      {0x20,
       {{controllerKey, "Standard Enhanced PCI to USB Host Controller"},
        {"USB\\ROOT_HUB20\\4&000000EF&0", "USB Root Hub"}}},
      {0x30,
       {{controllerKey, "USB xHCI Compliant Host Controller"},
        {"USB\\ROOT_HUB30\\4&000000EF&0", "USB Root Hub (USB 3.0)"}}},
      {0x40, {}},
      {0x80, {}},
      {0xFE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.ProgrammingInterface));
    UsbHostTopology topology;
    topology.Controllers = {Controller(kAddress, c.ProgrammingInterface)};
    topology.RootHubs = {{"usb1", 1, kAddress}};
    topology.Hubs = {{"1-1", 1, 0x05E3, 0x0608, false}};
    std::vector<KeyAndDescription> expected = c.Lines;
    if (!expected.empty()) expected.push_back({"USB\\VID_05E3&PID_0608\\5&0&1-1", "Generic USB Hub"});
    EXPECT_EQ(Lines(MirrorUsbHostDevices(topology)), expected);
  }
}

TEST(MirrorUsbHostDevices, IdsInTheFormThePlatformWrites) {
  UsbHostTopology topology;
  PciUsbController controller = Controller({0x10000, 0xE1, 0x1F, 7}, 0x30);
  controller.VendorId = 0xabcd;
  controller.DeviceId = 0x000f;
  controller.SubsystemVendorId = 0x00a1;
  controller.SubsystemId = 0xb2c3;
  controller.Revision = 0x0e;
  topology.Controllers = {controller};
  topology.RootHubs = {{"usb3", 3, PciAddress{0x10000, 0xE1, 0x1F, 7}}};
  topology.Hubs = {{"3-1.4", 3, 0xfedc, 0x0a0b, true}};
  EXPECT_EQ(Lines(MirrorUsbHostDevices(topology)),
            (std::vector<KeyAndDescription>{
                {"PCI\\VEN_ABCD&DEV_000F&SUBSYS_B2C300A1&REV_0E\\3&10000E1&0&FF", "USB xHCI Compliant Host Controller"},
                {"USB\\ROOT_HUB30\\4&10000E1FF&0", "USB Root Hub (USB 3.0)"},
                {"USB\\VID_FEDC&PID_0A0B\\5&0&3-1.4", "Generic SuperSpeed USB Hub"},
            }));
}

TEST(MirrorUsbHostDevices, OnlyWhatBelongsToAListedController) {
  const PciAddress uhci = {0, 0, 0x1d, 0};
  const PciAddress other = {0, 0, 0x1b, 0};
  const PciAddress absent = {0, 0, 0x1e, 0};
  UsbHostTopology topology;
  topology.Controllers = {Controller(other, 0x80), Controller(uhci, 0x00), Controller({0, 0, 0x1d, 1}, 0x00)};
  topology.RootHubs = {{"usb1", 1, uhci}, {"usb2", 2, other}, {"usb3", 3, std::nullopt}, {"usb4", 4, absent}};
  topology.Hubs = {{"1-1", 1, 1, 1, false},
                   {"2-1", 2, 2, 2, false},
                   {"3-1", 3, 3, 3, false},
                   {"4-1", 4, 4, 4, false},
                   {"5-1", 5, 5, 5, false}};
  EXPECT_EQ(Lines(MirrorUsbHostDevices(topology)), (std::vector<KeyAndDescription>{
                                                       {"PCI\\VEN_8086&DEV_24CD&SUBSYS_01261028&REV_01\\3&000000&0&E8",
                                                        "Standard Universal PCI to USB Host Controller"},
                                                       {"USB\\ROOT_HUB\\4&000000E8&0", "USB Root Hub"},
                                                       // The second UHCI has no root hub in the tree, so it gets none.
                                                       {"PCI\\VEN_8086&DEV_24CD&SUBSYS_01261028&REV_01\\3&000000&0&E9",
                                                        "Standard Universal PCI to USB Host Controller"},
                                                       {"USB\\VID_0001&PID_0001\\5&0&1-1", "Generic USB Hub"},
                                                   }));
}

TEST(MirrorUsbHostDevices, DevicesThePlatformPutsInItsUsbClass) {
  struct Case {
    const char* What;
    uint8_t DeviceClass, DeviceSubClass, DeviceProtocol;
    std::optional<uint32_t> InterfaceCount;
    std::vector<UsbInterface> Interfaces;
    std::vector<KeyAndDescription> Lines;
  };
  const std::string id = "USB\\VID_0781&PID_5567";
  const std::string port = "\\5&0&1-2";
  const Case cases[] = {
      {"flash drive", 0x00, 0, 0, 1, {{0, 0x08}}, {{id + port, kMassStorage}}},
      {"printer", 0x00, 0, 0, 1, {{0, 0x07}}, {{id + port, kPrinting}}},
      {"mouse", 0x00, 0, 0, 1, {{0, 0x03}}, {}},
      {"camera", 0x00, 0, 0, 1, {{0, 0x0E}}, {}},
      {"vendor-specific interface", 0x00, 0, 0, 1, {{0, 0xFF}}, {}},
      {"interface class unreadable", 0x00, 0, 0, 1, {{0, std::nullopt}}, {}},
      {"HID and mass storage",
       0x00,
       0,
       0,
       2,
       {{0, 0x03}, {1, 0x08}},
       {{id + port, kComposite}, {id + "&MI_01\\6&0&1-2&0001", kMassStorage}}},
      {"mass storage, printer and HID",
       0x00,
       0,
       0,
       3,
       {{0, 0x08}, {1, 0x07}, {2, 0x03}},
       {{id + port, kComposite},
        {id + "&MI_00\\6&0&1-2&0000", kMassStorage},
        {id + "&MI_01\\6&0&1-2&0001", kPrinting}}},
      {"function numbers in hex",
       0x00,
       0,
       0,
       2,
       {{3, 0x03}, {10, 0x08}},
       {{id + port, kComposite}, {id + "&MI_0A\\6&0&1-2&000A", kMassStorage}}},
      {"composite without a listed function", 0x00, 0, 0, 2, {{0, 0x03}, {1, std::nullopt}}, {{id + port, kComposite}}},
      {"webcam, interface association",
       0xEF,
       2,
       1,
       4,
       {{0, 0x0E}, {1, 0x0E}, {2, 0x01}, {3, 0x01}},
       {{id + port, kComposite}}},
      {"association class, other subclass", 0xEF, 1, 1, 2, {{0, 0x08}, {1, 0x03}}, {}},
      {"association class, other protocol", 0xEF, 2, 2, 2, {{0, 0x08}, {1, 0x03}}, {}},
      {"association class, one interface", 0xEF, 2, 1, 1, {{0, 0x08}}, {}},
      {"vendor-specific device", 0xFF, 0, 0, 1, {{0, 0x08}}, {}},
      {"vendor-specific device, two interfaces", 0xFF, 0, 0, 2, {{0, 0x08}, {1, 0x07}}, {}},
      {"communications device", 0x02, 0, 0, 2, {{0, 0x02}, {1, 0x0A}}, {}},
      {"count unknown", 0x00, 0, 0, std::nullopt, {{0, 0x08}}, {}},
      {"count above the interfaces", 0x00, 0, 0, 2, {{0, 0x08}}, {}},
      {"count below the interfaces", 0x00, 0, 0, 1, {{0, 0x08}, {1, 0x08}}, {}},
      {"no interfaces", 0x00, 0, 0, 0, {}, {}},
      {"two interfaces of one number", 0x00, 0, 0, 2, {{0, 0x08}, {0, 0x08}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    UsbDevice device = Device("1-2", {});
    device.DeviceClass = c.DeviceClass;
    device.DeviceSubClass = c.DeviceSubClass;
    device.DeviceProtocol = c.DeviceProtocol;
    device.InterfaceCount = c.InterfaceCount;
    device.Interfaces = c.Interfaces;
    EXPECT_EQ(PluggedDeviceLines(MachineWith({device})), c.Lines);
  }
}

// The serial names the key only when it is plain letters and digits, as
// many as a string descriptor holds; anything else could break the key or
// pass for another device's id.
TEST(MirrorUsbHostDevices, InstanceIdIsAPlainSerialOrThePortsOwn) {
  struct Case {
    std::optional<std::string> Serial;
    std::string InstanceId;
  };
  const std::string port = "5&0&1-1.4";
  const Case cases[] = {
      {"4C530001230101115174", "4C530001230101115174"},
      {"abcXYZ019", "abcXYZ019"},
      {std::string(126, 'z'), std::string(126, 'z')},
      {std::string(127, 'z'), port},
      {std::nullopt, port},
      {"", port},
      {"CN3B4-01927", port},
      {"AB 12", port},
      {"5&0&1-1.3", port},
      {"AB\\12", port},
      {"AB]", port},
      {std::string("AB\0"
                   "12",
                   5),
       port},
      {"\xc3\x9c"
       "12",
       port},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Serial ? "serial \"" + *c.Serial + "\"" : "no serial");
    EXPECT_EQ(PluggedDeviceLines(MachineWith({Device("1-1.4", {0x08}, c.Serial)})),
              (std::vector<KeyAndDescription>{{"USB\\VID_0781&PID_5567\\" + c.InstanceId, kMassStorage}}));
  }
  // A composite device's functions are named after its port, serial or not.
  EXPECT_EQ(PluggedDeviceLines(MachineWith({Device("1-1.4", {0x03, 0x08}, "A1")})),
            (std::vector<KeyAndDescription>{{"USB\\VID_0781&PID_5567\\A1", kComposite},
                                            {"USB\\VID_0781&PID_5567&MI_01\\6&0&1-1.4&0001", kMassStorage}}));
}

// Two devices with one serial would get one key; neither gets the serial,
// whether or not the other is listed.
TEST(MirrorUsbHostDevices, ASerialTwoDevicesShowIsNobodys) {
  struct Case {
    const char* What;
    std::vector<UsbDevice> Devices;
    std::vector<std::string> InstanceIds;  // of the listed devices, in order
  };
  const Case cases[] = {
      {"two serials", {Device("1-1", {0x08}, "A1"), Device("1-2", {0x08}, "B2")}, {"A1", "B2"}},
      {"one serial", {Device("1-1", {0x08}, "A1"), Device("1-2", {0x08}, "A1")}, {"5&0&1-1", "5&0&1-2"}},
      {"one serial in two cases", {Device("1-1", {0x08}, "ab1"), Device("1-2", {0x08}, "AB1")}, {"5&0&1-1", "5&0&1-2"}},
      {"one serial three times",
       {Device("1-1", {0x08}, "A1"), Device("1-2", {0x08}, "A1"), Device("1-3", {0x07}, "A1"),
        Device("1-4", {0x07}, "C3")},
       {"5&0&1-1", "5&0&1-2", "5&0&1-3", "C3"}},
      {"the other a mouse", {Device("1-1", {0x08}, "A1"), Device("1-2", {0x03}, "A1")}, {"5&0&1-1"}},
      {"the other on an unlisted bus", {Device("1-1", {0x08}, "A1"), Device("2-1", {0x08}, "A1")}, {"5&0&1-1"}},
      {"the other's serial not plain", {Device("1-1", {0x08}, "A1"), Device("1-2", {0x08}, "A1 ")}, {"A1", "5&0&1-2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::vector<std::string> instanceIds;
    for (const MirroredDevice& d : MirrorUsbHostDevices(MachineWith(c.Devices))) {
      if (d.Enumerator == "USB" && d.DeviceId == "VID_0781&PID_5567") instanceIds.push_back(d.InstanceId);
    }
    EXPECT_EQ(instanceIds, c.InstanceIds);
  }
}

TEST(MirrorUsbHostDevices, EhciAndUhciFixture) {
  EXPECT_EQ(MirrorFixture("ehci_uhci"), (std::vector<KeyAndDescription>{
                                            {"PCI\\VEN_8086&DEV_24C2&SUBSYS_01261028&REV_01\\3&000000&0&E8",
                                             "Standard Universal PCI to USB Host Controller"},
                                            {"USB\\ROOT_HUB\\4&000000E8&0", "USB Root Hub"},
                                            {"PCI\\VEN_8086&DEV_24CD&SUBSYS_01261028&REV_01\\3&000000&0&EF",
                                             "Standard Enhanced PCI to USB Host Controller"},
                                            {"USB\\ROOT_HUB20\\4&000000EF&0", "USB Root Hub"},
                                            {"USB\\VID_05E3&PID_0608\\5&0&1-1", "Generic USB Hub"},
                                        }));
}

TEST(MirrorUsbHostDevices, XhciFixtureHasOneRootHubForItsTwoBuses) {
  EXPECT_EQ(MirrorFixture("xhci_only"),
            (std::vector<KeyAndDescription>{
                {"PCI\\VEN_8086&DEV_A36D&SUBSYS_08691028&REV_10\\3&000000&0&A0", "USB xHCI Compliant Host Controller"},
                {"USB\\ROOT_HUB30\\4&000000A0&0", "USB Root Hub (USB 3.0)"},
                {"USB\\VID_05E3&PID_0610\\5&0&1-2", "Generic USB Hub"},
                {"USB\\VID_05E3&PID_0626\\5&0&2-2", "Generic SuperSpeed USB Hub"},
            }));
}

TEST(MirrorUsbHostDevices, NoneFixtureHasNoDevice) {
  EXPECT_EQ(MirrorFixture("none"), std::vector<KeyAndDescription>{});
}

TEST(MirrorUsbHostDevices, OddFixture) {
  EXPECT_EQ(
      MirrorFixture("odd"),
      (std::vector<KeyAndDescription>{
          {"PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00\\3&000000&0&D7",
           "Standard Enhanced PCI to USB Host Controller"},
          {"USB\\ROOT_HUB20\\4&000000D7&0", "USB Root Hub"},
          {"PCI\\VEN_1022&DEV_7464&SUBSYS_00000000&REV_00\\3&000000&0&E0", "Standard OpenHCD USB Host Controller"},
          {"USB\\ROOT_HUB\\4&000000E0&0", "USB Root Hub"},
          {"USB\\VID_0000&PID_0000\\5&0&1-1", "Generic SuperSpeed USB Hub"},
          {"USB\\VID_0424&PID_2514\\5&0&1-3", "Generic USB Hub"},
      }));
}

// Whatever the tree, every key is unique and every id is one valid key name.
TEST(MirrorUsbHostDevices, KeysAreUniqueAndValidNames) {
  for (const char* fixture : {"ehci_uhci", "xhci_only", "odd", "flash_webcam", "printer_reader_mouse", "odd_devices"}) {
    SCOPED_TRACE(fixture);
    TemporaryFolder root;
    ASSERT_EQ(BuildSysfsTree(SysfsFixture(std::string(fixture) + ".tree"), root.path()), "");
    std::set<std::string> keys;
    for (const MirroredDevice& d : MirrorUsbHostDevices(ReadUsbHostTopology(root.path()))) {
      for (const std::string* id : {&d.Enumerator, &d.DeviceId, &d.InstanceId}) {
        EXPECT_FALSE(id->empty());
        EXPECT_LE(id->size(), 255u);
        for (const char c : *id) EXPECT_TRUE(c > ' ' && c < 0x7F && c != '\\' && c != '[' && c != ']') << *id;
      }
      EXPECT_TRUE(keys.insert(d.Enumerator + "\\" + d.DeviceId + "\\" + d.InstanceId).second);
    }
  }
}

}  // namespace
