// The device scan over the real setupapi and registry, against device sets
// imported into the Wine prefix.
#include "win32_device_setup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_fixture.h"
#include "scan_device_inventory.h"

namespace {

const char kUsbGuidText[] = "{36FC9E60-C465-11CF-8056-444553540000}";

struct ScanResult {
  int32_t Count;
  InventoryTable Table;
};

ScanResult ScanWithFixture(const char* fixture, const char* classList = "USB") {
  RegistryFixture devices(FixturePath(fixture));
  EXPECT_TRUE(devices.ok()) << devices.error();
  Win32DeviceSetup setup;
  ScanResult r{0, InventoryTable(1)};
  r.Count = ScanDeviceInventory(setup, classList, r.Table);
  return r;
}

TEST(Win32DeviceSetup, NoUsbClassGivesNoDevice) {
  for (const char* fixture : {"empty.reg", "usb_class_no_devices.reg"}) {
    SCOPED_TRACE(fixture);
    const ScanResult r = ScanWithFixture(fixture);
    EXPECT_EQ(r.Count, 0);
    ASSERT_EQ(r.Table.size(), 1u);
    EXPECT_EQ(r.Table[0].Class, "");
  }
}

TEST(Win32DeviceSetup, ThreeDevicesInKeyOrderWithTheirFields) {
  const ScanResult r = ScanWithFixture("three_usb_devices.reg");
  ASSERT_EQ(r.Count, 3);
  ASSERT_EQ(r.Table.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"USB", kUsbGuidText, "Universal Host Controller A", "Standard Universal PCI to USB Host Controller",
       "{36FC9E60-C465-11CF-8056-444553540000}\\0000", "COM7"},
      {"USB", kUsbGuidText, "None", "Standard Enhanced PCI to USB Host Controller",
       "{36FC9E60-C465-11CF-8056-444553540000}\\0001", "None"},
      {"USB", kUsbGuidText, "None", "USB Root Hub", "{36FC9E60-C465-11CF-8056-444553540000}\\0002", "None"},
  };
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE("device " + std::to_string(k + 1));
    for (int n = 1; n <= kDeviceFieldCount; ++n) EXPECT_EQ(r.Table[k].Field(n), expected[k][n - 1]) << "field " << n;
  }
}

TEST(Win32DeviceSetup, RepeatedAndUnknownNames) {
  const ScanResult r = ScanWithFixture("three_usb_devices.reg", "USB/NoSuchClass//USB");
  ASSERT_EQ(r.Count, 6);
  EXPECT_EQ(r.Table[3].Description, "Standard Universal PCI to USB Host Controller");
  EXPECT_EQ(r.Table[5].Description, "USB Root Hub");
}

TEST(Win32DeviceSetup, FixtureIsGoneAfterTheCase) {
  { RegistryFixture devices(FixturePath("three_usb_devices.reg")); }
  Win32DeviceSetup setup;
  InventoryTable table(1);
  EXPECT_EQ(ScanDeviceInventory(setup, "USB", table), 0);
}

}  // namespace
