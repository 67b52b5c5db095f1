#include "usb_host_topology.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sysfs_tree.h"

namespace {

namespace fs = std::filesystem;

// One line per entry, so a failure shows the whole reading.
std::string AddressText(const PciAddress& a) {
  char text[32];
  std::snprintf(text, sizeof text, "%04x:%02x:%02x.%x", a.Domain, a.Bus, a.Device, a.Function);
  return text;
}

// "device 1-2 bus 1 id 0781:5567 class 00/00/00, 2 interfaces: 0=08 1=?,
// serial 4C53": "?" an unreadable class or count.
std::string DeviceLine(const UsbDevice& d) {
  char text[128];
  std::snprintf(text, sizeof text, "device %s bus %u id %04X:%04X class %02X/%02X/%02X, ", d.Name.c_str(), d.BusNumber,
                d.VendorId, d.ProductId, d.DeviceClass, d.DeviceSubClass, d.DeviceProtocol);
  std::string line = text;
  line += (d.InterfaceCount ? std::to_string(*d.InterfaceCount) : "?") + " interfaces:";
  for (const UsbInterface& i : d.Interfaces) {
    std::snprintf(text, sizeof text, " %u=%02X", i.Number, i.Class.value_or(0));
    line += i.Class ? text : " " + std::to_string(i.Number) + "=?";
  }
  return line + (d.Serial ? ", serial " + *d.Serial : "");
}

std::vector<std::string> Lines(const UsbHostTopology& topology) {
  std::vector<std::string> lines;
  char text[128];
  for (const PciUsbController& c : topology.Controllers) {
    std::snprintf(text, sizeof text, "controller %s at %s if %02X id %04X:%04X sub %04X:%04X rev %02X", c.Name.c_str(),
                  AddressText(c.Address).c_str(), c.ProgrammingInterface, c.VendorId, c.DeviceId, c.SubsystemVendorId,
                  c.SubsystemId, c.Revision);
    lines.push_back(text);
  }
  for (const UsbRootHub& r : topology.RootHubs) {
    lines.push_back("root hub " + r.Name + " bus " + std::to_string(r.BusNumber) + " of " +
                    (r.Controller ? AddressText(*r.Controller) : "none"));
  }
  for (const UsbHub& h : topology.Hubs) {
    std::snprintf(text, sizeof text, "hub %s bus %u id %04X:%04X%s", h.Name.c_str(), h.BusNumber, h.VendorId,
                  h.ProductId, h.SuperSpeed ? " superspeed" : "");
    lines.push_back(text);
  }
  for (const UsbDevice& d : topology.Devices) lines.push_back(DeviceLine(d));
  return lines;
}

std::vector<std::string> ReadFixture(const std::string& name) {
  TemporaryFolder root;
  const std::string problem = BuildSysfsTree(SysfsFixture(name + ".tree"), root.path());
  EXPECT_EQ(problem, "");
  return Lines(ReadUsbHostTopology(root.path()));
}

TEST(ParsePciAddress, KernelNamesOnly) {
  struct Case {
    const char* Text;
    const char* Address;  // nullptr: not an address
  };
  const Case cases[] = {
      {"0000:00:1d.7", "0000:00:1d.07"},
      {"0000:00:14.0", "0000:00:14.00"},
      {"0000:e1:00.0", "0000:e1:00.00"},
      {"0000:E1:1F.7", "0000:e1:1f.07"},
      {"10000:e1:00.0", "10000:e1:00.00"},
      {"ffffffff:ff:1f.7", "ffffffff:ff:1f.07"},
      {"0:0:1d.7", "0000:00:1d.07"},
      {"100000000:00:00.0", nullptr},
      {"0000:100:00.0", nullptr},
      {"0000:00:20.0", nullptr},
      {"0000:00:1d.8", nullptr},
      {"0000:00:1d.10", nullptr},
      {"0000:00:1d", nullptr},
      {"0000:00.1d.7", nullptr},
      {"0000:00:1d.7\n", nullptr},
      {"0x00:00:1d.7", nullptr},
      {"0000:0x:1d.7", nullptr},
      {":00:1d.7", nullptr},
      {"0000::1d.7", nullptr},
      {"0000:00:.7", nullptr},
      {"0000:00:1d.", nullptr},
      {"pci0000:00", nullptr},
      {"usb-controller", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::optional<PciAddress> address = ParsePciAddress(c.Text);
    if (c.Address == nullptr) {
      EXPECT_FALSE(address.has_value());
    } else {
      ASSERT_TRUE(address.has_value());
      char text[40];
      std::snprintf(text, sizeof text, "%04x:%02x:%02x.%02x", address->Domain, address->Bus, address->Device,
                    address->Function);
      EXPECT_STREQ(text, c.Address);
    }
  }
}

TEST(PciAddress, OrdersByDomainBusDeviceFunction) {
  const std::vector<PciAddress> ordered = {{0, 0, 0x1d, 0}, {0, 0, 0x1d, 7}, {0, 1, 0, 0}, {1, 0, 0, 0}};
  for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(ordered[i] < ordered[i + 1]);
    EXPECT_FALSE(ordered[i + 1] < ordered[i]);
    EXPECT_FALSE(ordered[i] == ordered[i + 1]);
    EXPECT_TRUE(ordered[i] == ordered[i]);
  }
}

TEST(IsSuperSpeed, SpeedDecidesAndVersionStandsIn) {
  struct Case {
    std::optional<std::string> Speed;
    std::optional<std::string> Version;
    bool SuperSpeed;
  };
  const Case cases[] = {
      {"1.5", "1.10", false},
      {"12", "2.00", false},
      {"480", "2.10", false},
      {"480", "3.00", false},  // a USB 3 device at USB 2 speed
      {"5000", "3.00", true},
      {"10000", "3.10", true},
      {"20000", "3.20", true},
      {"5000", std::nullopt, true},
      {"4999", "3.00", false},
      {std::nullopt, "3.00", true},
      {std::nullopt, "3.10", true},
      {std::nullopt, "2.00", false},
      {"fast", "3.00", true},
      {"53.3-480", "2.50", false},
      {"unknown", "2.00", false},
      {"", "3.00", true},
      {std::nullopt, "3", false},
      {std::nullopt, "x.00", false},
      {std::nullopt, "3.x", false},
      {std::nullopt, "", false},
      {std::nullopt, std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("speed " + c.Speed.value_or("(none)") + ", version " + c.Version.value_or("(none)"));
    EXPECT_EQ(IsSuperSpeed(c.Speed, c.Version), c.SuperSpeed);
  }
}

TEST(ReadUsbHostTopology, EhciAndUhciFoundThroughTheKernelsLinks) {
  EXPECT_EQ(ReadFixture("ehci_uhci"),
            (std::vector<std::string>{
                "controller 0000:00:1d.0 at 0000:00:1d.0 if 00 id 8086:24C2 sub 1028:0126 rev 01",
                "controller 0000:00:1d.7 at 0000:00:1d.7 if 20 id 8086:24CD sub 1028:0126 rev 01",
                "root hub usb1 bus 1 of 0000:00:1d.7",
                "root hub usb2 bus 2 of 0000:00:1d.0",
                "hub 1-1 bus 1 id 05E3:0608",
                "device 2-1 bus 2 id 046D:C077 class 00/00/00, ? interfaces:",
            }));
}

TEST(ReadUsbHostTopology, XhciRootHubsFoundThroughTheirSerial) {
  EXPECT_EQ(ReadFixture("xhci_only"),
            (std::vector<std::string>{
                "controller 0000:00:14.0 at 0000:00:14.0 if 30 id 8086:A36D sub 1028:0869 rev 10",
                "root hub usb1 bus 1 of 0000:00:14.0",
                "root hub usb2 bus 2 of 0000:00:14.0",
                "hub 1-2 bus 1 id 05E3:0610",
                "hub 2-2 bus 2 id 05E3:0626 superspeed",
            }));
}

TEST(ReadUsbHostTopology, DevicesAndTheirInterfacesInTheKernelsLayout) {
  EXPECT_EQ(ReadFixture("flash_webcam"),
            (std::vector<std::string>{
                "controller 0000:00:1d.0 at 0000:00:1d.0 if 20 id 8086:1C26 sub 1028:04A3 rev 05",
                "root hub usb1 bus 1 of 0000:00:1d.0",
                "hub 1-1 bus 1 id 8087:0024",
                "device 1-1.2 bus 1 id 0781:5567 class 00/00/00, 1 interfaces: 0=08, serial 4C530001230101115174",
                "device 1-1.4 bus 1 id 046D:0825 class EF/02/01, 4 interfaces: 0=0E 1=0E 2=01 3=01",
            }));
}

TEST(ReadUsbHostTopology, OtherPciDevicesAndNoUsbFolderGiveNothing) {
  EXPECT_EQ(ReadFixture("none"), std::vector<std::string>{});
}

TEST(ReadUsbHostTopology, OddFilesSkipTheDeviceOrReadZero) {
  EXPECT_EQ(ReadFixture("odd"), (std::vector<std::string>{
                                    "controller 0000:00:1a.7 at 0000:00:1a.7 if 20 id 0000:0000 sub 0000:0000 rev 00",
                                    "controller 0000:00:1b.0 at 0000:00:1b.0 if 80 id 0000:0000 sub 0000:0000 rev 00",
                                    "controller 0000:00:1b.1 at 0000:00:1b.1 if FE id 0000:0000 sub 0000:0000 rev 00",
                                    "controller 0000:00:1c.0 at 0000:00:1c.0 if 10 id 1022:7464 sub 0000:0000 rev 00",
                                    "root hub usb1 bus 1 of 0000:00:1a.7",
                                    "root hub usb2 bus 2 of 0000:00:1b.0",
                                    "root hub usb3 bus 3 of none",
                                    "root hub usb4 bus 4 of 0000:00:1c.0",
                                    "hub 1-1 bus 1 id 0000:0000 superspeed",
                                    "hub 1-3 bus 1 id 0424:2514",
                                    "hub 2-1 bus 2 id 0000:0000",
                                }));
}

TEST(ReadUsbHostTopology, NoTreeGivesNothing) {
  TemporaryFolder folder;
  WriteTextFile(folder.path() / "a file", "");
  WriteTextFile(folder.path() / "files/bus/pci", "");
  WriteTextFile(folder.path() / "files/bus/usb/devices", "");
  const fs::path roots[] = {folder.path(), folder.path() / "missing", folder.path() / "a file",
                            folder.path() / "files"};
  for (const fs::path& root : roots) {
    SCOPED_TRACE(root.string());
    EXPECT_EQ(Lines(ReadUsbHostTopology(root)), std::vector<std::string>{});
  }
}

TEST(ReadUsbHostTopology, ControllersByAddressOnePerAddress) {
  TemporaryFolder root;
  const fs::path pci = root.path() / "bus/pci/devices";
  // Names in text order differ from address order; "0:0:1d.7" spells an
  // address that "0000:00:1d.7" also names.
  const char* const names[] = {"0000:00:1d.7", "0000:00:02.0", "0000:0a:00.0", "0000:01:00.0",
                               "0001:00:00.0", "0:0:1d.7",     "10000:00:00.0"};
  for (const char* name : names) WriteTextFile(pci / name / "class", "0x0c0330\n");
  std::vector<std::string> order;
  for (const PciUsbController& c : ReadUsbHostTopology(root.path()).Controllers) order.push_back(c.Name);
  EXPECT_EQ(order, (std::vector<std::string>{"0000:00:02.0", "0000:00:1d.7", "0000:01:00.0", "0000:0a:00.0",
                                             "0001:00:00.0", "10000:00:00.0"}));
}

TEST(ReadUsbHostTopology, RootHubsByBusAndHubsByTheNumbersInTheirNames) {
  TemporaryFolder root;
  const fs::path usb = root.path() / "bus/usb/devices";
  const char* const names[] = {"usb10", "usb2", "usb1", "10-1", "2-1", "1-10", "1-2", "1-2.10", "1-2.3", "1-2.3.1"};
  for (const char* name : names) WriteTextFile(usb / name / "bDeviceClass", "09\n");
  const UsbHostTopology topology = ReadUsbHostTopology(root.path());
  std::vector<std::string> order;
  for (const UsbRootHub& r : topology.RootHubs) order.push_back(r.Name);
  for (const UsbHub& h : topology.Hubs) order.push_back(h.Name);
  EXPECT_EQ(order, (std::vector<std::string>{"usb1", "usb2", "usb10", "1-2", "1-2.3", "1-2.3.1", "1-2.10", "1-10",
                                             "2-1", "10-1"}));
}

TEST(ReadUsbHostTopology, OnlyKernelHubNamesAreHubs) {
  TemporaryFolder root;
  const fs::path usb = root.path() / "bus/usb/devices";
  // The last one is a kernel-like name, but longer than any real one.
  std::string tooLong = "1-1";
  while (tooLong.size() <= 64) tooLong += ".1";
  const std::vector<std::string> names = {"1-1", "1-1:1.0", "1-",  "-1",   "1-1.",  "1-.1", "1--1",          "1-1.a",
                                          "a-1", "1-1 ",    "usb", "usbA", "usb-1", "1",    "1-99999999999", tooLong};
  for (const std::string& name : names) WriteTextFile(usb / name / "bDeviceClass", "09\n");
  const UsbHostTopology topology = ReadUsbHostTopology(root.path());
  ASSERT_EQ(topology.Hubs.size(), 1u);
  EXPECT_EQ(topology.Hubs[0].Name, "1-1");
  EXPECT_TRUE(topology.RootHubs.empty());
}

// Only "<device>:<configuration>.<interface>", both decimal up to 255, in
// the device's own folder and a folder itself, is one of its interfaces.
TEST(ReadUsbHostTopology, InterfaceFoldersByTheKernelsNames) {
  struct Case {
    const char* Entry;
    int Number;  // -1: not an interface
  };
  const Case cases[] = {
      {"1-2:1.0", 0},    {"1-2:1.3", 3},   {"1-2:2.10", 10}, {"1-2:1.255", 255}, {"1-2:1.256", -1},
      {"1-2:256.0", -1}, {"1-2:1", -1},    {"1-2:1.", -1},   {"1-2:.0", -1},     {"1-2:1.0x", -1},
      {"1-2:1.a", -1},   {"1-2:1.0 ", -1}, {"1-2:1.-1", -1}, {"1-2.1:1.0", -1},  {"1-20:1.0", -1},
      {"1-2::1.0", -1},  {":1.0", -1},     {"1-2", -1},      {"1-2.1", -1},      {"power", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Entry);
    TemporaryFolder root;
    const fs::path device = root.path() / "bus/usb/devices/1-2";
    WriteTextFile(device / "bDeviceClass", "00\n");
    WriteTextFile(device / c.Entry / "bInterfaceClass", "08\n");
    const std::vector<UsbDevice> devices = ReadUsbHostTopology(root.path()).Devices;
    ASSERT_EQ(devices.size(), 1u);
    if (c.Number < 0) {
      EXPECT_TRUE(devices[0].Interfaces.empty());
    } else {
      ASSERT_EQ(devices[0].Interfaces.size(), 1u);
      EXPECT_EQ(devices[0].Interfaces[0].Number, c.Number);
      EXPECT_EQ(devices[0].Interfaces[0].Class, 0x08);
    }
  }
}

// The interfaces are the device's own folders: a link or a file in the
// place of one, or an entry for it in bus/usb/devices, is none.
TEST(ReadUsbHostTopology, InterfacesAreFoldersInTheDevicesOwnFolder) {
  TemporaryFolder outside;
  WriteTextFile(outside.path() / "1-2:1.3/bInterfaceClass", "08\n");
  const OpenWatch watchOutside(outside.path() / "1-2:1.3");
  TemporaryFolder root;
  const fs::path usb = root.path() / "bus/usb/devices";
  WriteTextFile(usb / "1-1/bDeviceClass", "00\n");
  WriteTextFile(usb / "1-1/1-1:1.0/bInterfaceClass", "08\n");
  WriteTextFile(usb / "1-2/bDeviceClass", "00\n");
  fs::create_symlink("../1-1/1-1:1.0", usb / "1-2/1-2:1.0");
  fs::create_symlink(outside.path() / "1-2:1.3", usb / "1-2/1-2:1.3");
  WriteTextFile(usb / "1-2/1-2:1.1", "08\n");
  WriteTextFile(usb / "1-2:1.2/bInterfaceClass", "08\n");
  WriteTextFile(usb / "1-3:1.0/bInterfaceClass", "08\n");
  EXPECT_EQ(Lines(ReadUsbHostTopology(root.path())),
            (std::vector<std::string>{
                "device 1-1 bus 1 id 0000:0000 class 00/00/00, ? interfaces: 0=08",
                "device 1-2 bus 1 id 0000:0000 class 00/00/00, ? interfaces:",
            }));
  EXPECT_FALSE(watchOutside.SawOpen());
}

TEST(ReadUsbHostTopology, InterfaceCountAsTheKernelPadsIt) {
  struct Case {
    const char* Text;  // nullptr: no file
    std::optional<uint32_t> Count;
  };
  const Case cases[] = {
      {" 1\n", 1u},
      {" 2\n", 2u},
      {"32\n", 32u},
      {"255", 255u},
      {"256\n", std::nullopt},
      {"\n", std::nullopt},
      {"0x2\n", std::nullopt},
      {"-1\n", std::nullopt},
      {" 2 interfaces\n", std::nullopt},
      {nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text ? c.Text : "(no file)");
    TemporaryFolder root;
    const fs::path device = root.path() / "bus/usb/devices/1-1";
    WriteTextFile(device / "bDeviceClass", "00\n");
    if (c.Text) WriteTextFile(device / "bNumInterfaces", c.Text);
    const std::vector<UsbDevice> devices = ReadUsbHostTopology(root.path()).Devices;
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].InterfaceCount, c.Count);
  }
}

TEST(ReadUsbHostTopology, TheLinkDecidesOverTheSerial) {
  TemporaryFolder root;
  const fs::path devices = root.path() / "devices/pci0000:00";
  WriteTextFile(devices / "0000:00:14.0/usb1/serial", "0000:00:1d.7\n");
  fs::create_directories(root.path() / "bus/usb/devices");
  fs::create_symlink(devices / "0000:00:14.0/usb1", root.path() / "bus/usb/devices/usb1");
  // A link into a folder that is no PCI device: the serial decides.
  WriteTextFile(root.path() / "devices/platform/usb2/serial", "0000:00:1d.0\n");
  fs::create_symlink(root.path() / "devices/platform/usb2", root.path() / "bus/usb/devices/usb2");
  // A dangling link: no device.
  fs::create_symlink("nowhere", root.path() / "bus/usb/devices/usb3");

  const UsbHostTopology topology = ReadUsbHostTopology(root.path());
  EXPECT_EQ(Lines(topology), (std::vector<std::string>{
                                 "root hub usb1 bus 1 of 0000:00:14.0",
                                 "root hub usb2 bus 2 of 0000:00:1d.0",
                             }));
}

// Devices are reached through the links in bus/*/devices; one that leads
// out of the root (itself or through a folder on the way) is not the
// kernel's: it is left out and nothing in it is opened.
TEST(ReadUsbHostTopology, LinksOutOfTheRootAreIgnored) {
  TemporaryFolder outside;
  const fs::path& o = outside.path();
  WriteTextFile(o / "0000:00:1d.7/class", "0x0c0320\n");
  WriteTextFile(o / "0000:00:1d.7/usb1/serial", "0000:00:1d.7\n");
  WriteTextFile(o / "1-1/bDeviceClass", "09\n");
  WriteTextFile(o / "bus/pci/devices/0000:00:1a.0/class", "0x0c0300\n");
  const OpenWatch watchController(o / "0000:00:1d.7");
  const OpenWatch watchRootHub(o / "0000:00:1d.7/usb1");
  const OpenWatch watchHub(o / "1-1");
  const OpenWatch watchBus(o / "bus/pci/devices");

  TemporaryFolder root;
  const fs::path& r = root.path();
  const std::string up = "../../../../" + o.filename().string();
  fs::create_directories(r / "bus/pci/devices");
  fs::create_directories(r / "bus/usb/devices");
  fs::create_symlink(o / "0000:00:1d.7", r / "bus/pci/devices/0000:00:1d.7");
  fs::create_symlink(o / "0000:00:1d.7/usb1", r / "bus/usb/devices/usb1");
  fs::create_symlink(up + "/1-1", r / "bus/usb/devices/1-1");
  // Out and back in: still the root's own device.
  WriteTextFile(r / "devices/pci0000:00/0000:00:14.0/class", "0x0c0330\n");
  fs::create_symlink("../../../../" + r.filename().string() + "/devices/pci0000:00/0000:00:14.0",
                     r / "bus/pci/devices/0000:00:14.0");
  // A second root whose bus folder leads out.
  TemporaryFolder linkedBus;
  fs::create_symlink(o / "bus", linkedBus.path() / "bus");

  EXPECT_EQ(
      Lines(ReadUsbHostTopology(r)),
      std::vector<std::string>{"controller 0000:00:14.0 at 0000:00:14.0 if 30 id 0000:0000 sub 0000:0000 rev 00"});
  EXPECT_EQ(Lines(ReadUsbHostTopology(linkedBus.path())), std::vector<std::string>{});
  EXPECT_FALSE(watchController.SawOpen());
  EXPECT_FALSE(watchRootHub.SawOpen());
  EXPECT_FALSE(watchHub.SawOpen());
  EXPECT_FALSE(watchBus.SawOpen());
}

}  // namespace
