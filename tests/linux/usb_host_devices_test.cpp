#include "usb_host_devices.h"

#include <gtest/gtest.h>

#include <cstdio>
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
  for (const char* fixture : {"ehci_uhci", "xhci_only", "odd"}) {
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
