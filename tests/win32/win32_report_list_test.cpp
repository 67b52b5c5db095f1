// Prepare and fill over the real list box and setupapi: the rows are read
// back from the list itself. Wine 8's SetupDiLoadClassIcon is a stub that
// fails, so under Wine every row keeps item data 0, which is what a failed
// load gives; the icon path itself is covered with the fake.
#include "win32_report_list.h"

#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <string>
#include <vector>

#include "registry_fixture.h"
#include "report_list.h"
#include "report_window.h"
#include "scan_device_inventory.h"
#include "usb20_rule.h"
#include "win32_device_setup.h"

namespace {

const std::string kSeparator(75, '-');
const char kUsbGuidText[] = "{36FC9E60-C465-11CF-8056-444553540000}";

std::uintptr_t AsHandle(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

std::vector<std::string> ReadRows(HWND list) {
  std::vector<std::string> rows;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    rows.push_back(text);
  }
  return rows;
}

// Whether this platform hands out the USB class icon at all (Wine 8: no).
bool UsbClassIconLoads() {
  GUID guid = {};
  DWORD required = 0;
  if (!SetupDiClassGuidsFromNameA("USB", &guid, 1, &required)) return false;
  HICON icon = nullptr;
  INT mini = 0;
  return SetupDiLoadClassIcon(&guid, &icon, &mini) != FALSE && icon != nullptr;
}

// The item data of each row: 0 everywhere but on each block's "Class: "
// row, which holds the class icon when the platform could load it.
void ExpectItemData(HWND list, size_t rowCount, bool iconsLoad) {
  for (size_t i = 0; i < rowCount; ++i) {
    const LRESULT data = SendMessageA(list, LB_GETITEMDATA, i, 0);
    const bool blockStart = i >= 2 && (i - 2) % 7 == 0;
    if (blockStart && iconsLoad) {
      EXPECT_NE(data, 0) << "row " << i;
    } else {
      EXPECT_EQ(data, 0) << "row " << i;
    }
  }
}

DeviceEntry Device(int k) {
  const std::string tag = std::to_string(k);
  return {"USB", kUsbGuidText, "Friendly " + tag, "Description " + tag, "Driver " + tag, "Port " + tag};
}

TEST(Win32ReportList, PrepareSetsRowHeightAndExtentOfTheRealList) {
  ReportWindow window(false);
  ASSERT_TRUE(window.list());
  Win32ReportList list;
  gReportListHandle = 0;
  PrepareReportList(list, AsHandle(window.window()));
  EXPECT_EQ(gReportListHandle, AsHandle(window.list()));
  EXPECT_EQ(SendMessageA(window.list(), LB_GETITEMHEIGHT, 0, 0), 20);
  EXPECT_EQ(SendMessageA(window.list(), LB_GETHORIZONTALEXTENT, 0, 0), 1200);
  gReportListHandle = 0;
}

TEST(Win32ReportList, FillPutsExactlyTheReportRowsInTheList) {
  const bool iconsLoad = UsbClassIconLoads();
  for (int n : {0, 1, 3, 12}) {
    SCOPED_TRACE(std::to_string(n) + " devices");
    ReportWindow window(false);
    Win32ReportList list;
    PrepareReportList(list, AsHandle(window.window()));
    InventoryTable table(1);
    if (n > 0) table.clear();
    for (int k = 1; k <= n; ++k) table.push_back(Device(k));
    gUsb20Flag = 0;
    FillReportList(list, AsHandle(window.window()), table, n);

    std::vector<std::string> expected = {"USB DeviceCount: \t" + std::to_string(n), kSeparator};
    for (int k = 1; k <= n; ++k) {
      const DeviceEntry& d = table[k - 1];
      for (const std::string& row :
           {"Class: \t" + d.Class, "Guid: \t" + d.Guid, "FriendlyName: \t" + d.FriendlyName,
            "Description: \t" + d.Description, "Driver: \t" + d.Driver, "PortName: \t" + d.PortName, kSeparator}) {
        expected.push_back(row);
      }
    }
    EXPECT_EQ(ReadRows(window.list()), expected);
    ExpectItemData(window.list(), expected.size(), iconsLoad);
    EXPECT_EQ(SendMessageA(window.list(), LB_GETITEMHEIGHT, 0, 0), 20);
    EXPECT_EQ(gUsb20Flag, 0);
  }
}

TEST(Win32ReportList, ScannedDevicesFillTheListAndDecideTheFlag) {
  RegistryFixture devices(FixturePath("three_usb_devices.reg"));
  ASSERT_TRUE(devices.ok()) << devices.error();
  Win32DeviceSetup setup;
  InventoryTable table(1);
  gUsb20Flag = 0;
  const int32_t count = ScanDeviceInventory(setup, "USB", table);
  ASSERT_EQ(count, 3);

  ReportWindow window(false);
  Win32ReportList list;
  PrepareReportList(list, AsHandle(window.window()));
  FillReportList(list, AsHandle(window.window()), table, count);

  const std::vector<std::string> rows = ReadRows(window.list());
  ASSERT_EQ(rows.size(), 23u);
  EXPECT_EQ(rows[0], "USB DeviceCount: \t3");
  EXPECT_EQ(rows[2], "Class: \tUSB");
  EXPECT_EQ(rows[4], "FriendlyName: \tUniversal Host Controller A");
  EXPECT_EQ(rows[12], "Description: \tStandard Enhanced PCI to USB Host Controller");
  EXPECT_EQ(rows[14], "PortName: \tNone");
  EXPECT_EQ(rows[22], kSeparator);
  // The class is registered now, so the GUID look-up succeeds; the icon is
  // whatever the platform's class-icon load gives (nothing under Wine 8).
  ExpectItemData(window.list(), rows.size(), UsbClassIconLoads());
  EXPECT_EQ(gUsb20Flag, 1);  // "Standard Enhanced PCI to USB Host Controller"
  gUsb20Flag = 0;
}

}  // namespace
