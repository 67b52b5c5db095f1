#include "report_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_report_list.h"
#include "report_list_control.h"
#include "usb20_rule.h"

namespace {

using Row = FakeReportList::Row;

const std::string kSeparator(75, '-');
const char kUsbGuidText[] = "{36FC9E60-C465-11CF-8056-444553540000}";
constexpr Guid kUsbGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr Guid kPortsGuid = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

DeviceEntry Device(const std::string& tag, const std::string& className = "USB") {
  return {className, kUsbGuidText, "Friendly " + tag, "Description " + tag, "Driver " + tag, "Port " + tag};
}

InventoryTable Devices(int count) {
  InventoryTable table;
  for (int k = 1; k <= count; ++k) table.push_back(Device(std::to_string(k)));
  if (table.empty()) table.resize(1);  // as the scan leaves it with no device
  return table;
}

// A list that knows the USB class and loads an icon for it.
FakeReportList UsbList() {
  FakeReportList list;
  list.ClassGuids["USB"] = kUsbGuid;
  list.ClassGuids["Ports"] = kPortsGuid;
  return list;
}

void Fill(FakeReportList& list, const InventoryTable& table, int32_t count) {
  gUsb20Flag = 0;
  FillReportList(list, FakeReportList::kMainWindow, table, count);
}

std::vector<std::string> Texts(const FakeReportList& list) {
  std::vector<std::string> texts;
  for (const Row& row : list.Rows) texts.push_back(row.Text);
  return texts;
}

// The rows of device k's block, written out from its fields.
std::vector<std::string> BlockRows(const DeviceEntry& d) {
  return {"Class: \t" + d.Class,
          "Guid: \t" + d.Guid,
          "FriendlyName: \t" + d.FriendlyName,
          "Description: \t" + d.Description,
          "Driver: \t" + d.Driver,
          "PortName: \t" + d.PortName,
          kSeparator};
}

TEST(PrepareReportList, RecordsTheListAndSetsRowHeightAndExtent) {
  gReportListHandle = 0;
  FakeReportList list;
  PrepareReportList(list, FakeReportList::kMainWindow);
  EXPECT_EQ(gReportListHandle, FakeReportList::kListWindow);
  ASSERT_EQ(list.Messages.size(), 2u);
  EXPECT_EQ(list.Messages[0].Message, kLbSetItemHeight);
  EXPECT_EQ(list.Messages[0].WParam, 0u);
  EXPECT_EQ(list.Messages[0].LParam, 20);
  EXPECT_EQ(list.Messages[1].Message, kLbSetHorizontalExtent);
  EXPECT_EQ(list.Messages[1].WParam, 1200u);
  EXPECT_EQ(list.Messages[1].LParam, 0);
  EXPECT_TRUE(list.StrayMessages.empty());
  EXPECT_TRUE(list.Rows.empty());
  gReportListHandle = 0;
}

TEST(FillReportList, OneDeviceGivesNineRowsWordForWord) {
  FakeReportList list = UsbList();
  InventoryTable table = {{"USB", kUsbGuidText, "Universal Host Controller A",
                           "Standard Universal PCI to USB Host Controller",
                           "{36FC9E60-C465-11CF-8056-444553540000}\\0000", "COM7"}};
  Fill(list, table, 1);
  const std::vector<std::string> expected = {
      "USB DeviceCount: \t1",
      std::string(75, '-'),
      "Class: \tUSB",
      "Guid: \t{36FC9E60-C465-11CF-8056-444553540000}",
      "FriendlyName: \tUniversal Host Controller A",
      "Description: \tStandard Universal PCI to USB Host Controller",
      "Driver: \t{36FC9E60-C465-11CF-8056-444553540000}\\0000",
      "PortName: \tCOM7",
      "---------------------------------------------------------------------------",
  };
  EXPECT_EQ(Texts(list), expected);
  EXPECT_EQ(list.Rows[8].Text.size(), 75u);
  ASSERT_EQ(list.Loads.size(), 1u);
  for (size_t i = 0; i < list.Rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(list.Rows[i].ItemData, i == 2 ? static_cast<std::intptr_t>(list.Loads[0].Handle) : 0);
  }
  EXPECT_EQ(list.Lookups, std::vector<std::string>{"USB"});
  EXPECT_TRUE(list.StrayMessages.empty());
}

TEST(FillReportList, RowsSeparatorsAndIconsForZeroOneThreeAndTwelveDevices) {
  for (int n : {0, 1, 3, 12}) {
    SCOPED_TRACE(std::to_string(n) + " devices");
    FakeReportList list = UsbList();
    const InventoryTable table = Devices(n);
    Fill(list, table, n);

    std::vector<std::string> expected = {"USB DeviceCount: \t" + std::to_string(n), kSeparator};
    for (int k = 0; k < n; ++k) {
      const std::vector<std::string> block = BlockRows(table[k]);
      expected.insert(expected.end(), block.begin(), block.end());
    }
    ASSERT_EQ(list.Rows.size(), static_cast<size_t>(2 + 7 * n));
    EXPECT_EQ(Texts(list), expected);

    // Separators at 1 and at 8 + 7(k-1); icons only at 2 + 7(k-1), each the
    // handle of that device's own load.
    ASSERT_EQ(list.Loads.size(), static_cast<size_t>(n));
    EXPECT_EQ(list.Lookups.size(), static_cast<size_t>(n));
    for (size_t i = 0; i < list.Rows.size(); ++i) {
      SCOPED_TRACE("row " + std::to_string(i));
      const bool separator = i == 1 || (i >= 8 && (i - 8) % 7 == 0);
      EXPECT_EQ(list.Rows[i].Text == kSeparator, separator);
      const bool blockStart = i >= 2 && (i - 2) % 7 == 0;
      const std::intptr_t icon = blockStart ? static_cast<std::intptr_t>(list.Loads[(i - 2) / 7].Handle) : 0;
      EXPECT_EQ(list.Rows[i].ItemData, icon);
      if (blockStart) {
        EXPECT_NE(icon, 0);
      }
    }
    // One LB_SETITEMDATA per device, for its "Class: " row, sent right after it.
    size_t setItemData = 0;
    for (const FakeReportList::Message& m : list.Messages) {
      if (m.Message != kLbSetItemData) continue;
      EXPECT_EQ(m.WParam, 2 + 7 * setItemData);
      ++setItemData;
    }
    EXPECT_EQ(setItemData, static_cast<size_t>(n));
    EXPECT_EQ(list.ItemDataOutOfRange, 0);
    EXPECT_TRUE(list.StrayMessages.empty());
  }
}

TEST(FillReportList, HeaderHoldsTheCountAsPlainDigits) {
  struct Case {
    int32_t Count;
    const char* Header;
  };
  const Case cases[] = {{0, "USB DeviceCount: \t0"},
                        {3, "USB DeviceCount: \t3"},
                        {12, "USB DeviceCount: \t12"},
                        {100, "USB DeviceCount: \t100"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Header);
    FakeReportList list = UsbList();
    Fill(list, Devices(c.Count), c.Count);
    ASSERT_FALSE(list.Rows.empty());
    EXPECT_EQ(list.Rows[0].Text, c.Header);
  }
}

TEST(FillReportList, NoDeviceGivesHeaderAndSeparatorOnly) {
  FakeReportList list = UsbList();
  Fill(list, Devices(0), 0);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"USB DeviceCount: \t0", kSeparator}));
  EXPECT_TRUE(list.Lookups.empty());
  EXPECT_TRUE(list.Loads.empty());
  EXPECT_TRUE(list.Messages.empty());  // no item data set
  EXPECT_EQ(gUsb20Flag, 0);
}

TEST(FillReportList, DeviceWithNothingReadStillGetsItsSevenRows) {
  FakeReportList list = UsbList();
  Fill(list, {{"USB", kUsbGuidText, "None", "None", "None", "None"}}, 1);
  EXPECT_EQ(Texts(list),
            (std::vector<std::string>{"USB DeviceCount: \t1", kSeparator, "Class: \tUSB",
                                      "Guid: \t{36FC9E60-C465-11CF-8056-444553540000}", "FriendlyName: \tNone",
                                      "Description: \tNone", "Driver: \tNone", "PortName: \tNone", kSeparator}));
  // Empty values keep their label and TAB.
  FakeReportList empty = UsbList();
  Fill(empty, {{"", "", "", "", "", ""}}, 1);
  EXPECT_EQ(Texts(empty),
            (std::vector<std::string>{"USB DeviceCount: \t1", kSeparator, "Class: \t", "Guid: \t", "FriendlyName: \t",
                                      "Description: \t", "Driver: \t", "PortName: \t", kSeparator}));
}

TEST(FillReportList, ValuesAreShownUnchanged) {
  const std::string longest(128, 'x');
  FakeReportList list = UsbList();
  Fill(list, {{"USB", kUsbGuidText, longest, " padded\tvalue ", "a&b", "\x80\xFF"}}, 1);
  EXPECT_EQ(list.Rows[4].Text, "FriendlyName: \t" + longest);
  EXPECT_EQ(list.Rows[4].Text.size(), 143u);  // the longest row the scan can produce
  EXPECT_EQ(list.Rows[5].Text, "Description: \t padded\tvalue ");
  EXPECT_EQ(list.Rows[6].Text, "Driver: \ta&b");
  EXPECT_EQ(list.Rows[7].Text, "PortName: \t\x80\xFF");
}

TEST(FillReportList, ClassLookupSeesAtMost127BytesOfTheName) {
  const std::string name(200, 'C');
  FakeReportList list = UsbList();
  Fill(list, {Device("1", name), Device("2", std::string(127, 'D'))}, 2);
  EXPECT_EQ(list.Lookups, (std::vector<std::string>{std::string(127, 'C'), std::string(127, 'D')}));
  EXPECT_EQ(list.Rows[2].Text, "Class: \t" + name);  // the row shows the field whole
}

TEST(FillReportList, FailedLookupOrLoadKeepsThePreviousIcon) {
  struct Case {
    const char* What;
    std::vector<std::string> ClassNames;  // one device per name
    std::vector<uint32_t> FailingIcons;   // Data1 of GUIDs whose load fails
    std::vector<Guid> LoadedFor;          // the GUID each load is given
    std::vector<int> RowIcon;             // per device: load number whose handle the row holds, 0 for none
  };
  const Guid zero{};
  const std::vector<Case> cases = {
      {"every lookup and load works", {"USB", "Ports", "USB"}, {}, {kUsbGuid, kPortsGuid, kUsbGuid}, {1, 2, 3}},
      {"first lookup fails: the zeroed GUID loads nothing", {"Unknown", "USB"}, {}, {zero, kUsbGuid}, {0, 2}},
      {"a later lookup fails: the previous GUID is loaded again",
       {"Ports", "Unknown", "USB"},
       {},
       {kPortsGuid, kPortsGuid, kUsbGuid},
       {1, 2, 3}},
      {"a later load fails: the previous icon stays",
       {"USB", "Ports", "Ports", "USB"},
       {kPortsGuid.Data1},
       {kUsbGuid, kPortsGuid, kPortsGuid, kUsbGuid},
       {1, 1, 1, 4}},
      {"first load fails: no icon until one loads",
       {"Ports", "USB"},
       {kPortsGuid.Data1},
       {kPortsGuid, kUsbGuid},
       {0, 2}},
      {"every load fails", {"USB", "USB"}, {kUsbGuid.Data1}, {kUsbGuid, kUsbGuid}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeReportList list = UsbList();
    list.FailingIconGuids = c.FailingIcons;
    InventoryTable table;
    for (const std::string& name : c.ClassNames) table.push_back(Device(name, name));
    Fill(list, table, static_cast<int32_t>(table.size()));

    ASSERT_EQ(list.Loads.size(), c.LoadedFor.size());
    for (size_t i = 0; i < c.LoadedFor.size(); ++i) {
      EXPECT_EQ(std::memcmp(&list.Loads[i].ClassGuid, &c.LoadedFor[i], sizeof(Guid)), 0) << "load " << i + 1;
    }
    for (size_t k = 0; k < c.RowIcon.size(); ++k) {
      const std::intptr_t expected =
          c.RowIcon[k] == 0 ? 0 : static_cast<std::intptr_t>(list.Loads[c.RowIcon[k] - 1].Handle);
      EXPECT_EQ(list.Rows[2 + 7 * k].ItemData, expected) << "device " << k + 1;
    }
    for (size_t i = 0; i < list.Rows.size(); ++i) {
      if (i < 2 || (i - 2) % 7 != 0) {
        EXPECT_EQ(list.Rows[i].ItemData, 0) << "row " << i;
      }
    }
  }
}

TEST(FillReportList, RuleIsAppliedRightAfterEachBlock) {
  FakeReportList list = UsbList();
  InventoryTable table = Devices(3);
  table[1].Description = "Standard Enhanced PCI to USB Host Controller";
  Fill(list, table, 3);
  EXPECT_EQ(gUsb20Flag, 1);
  // The flag turns to 1 after device 2's block, before device 3's.
  ASSERT_EQ(list.Rows.size(), 23u);
  for (size_t i = 0; i < list.Rows.size(); ++i) {
    EXPECT_EQ(list.Rows[i].Usb20FlagWhenAdded, i >= 16 ? 1 : 0) << "row " << i;
  }
}

TEST(FillReportList, OnlyDescriptionsDecideTheFlag) {
  struct Case {
    const char* What;
    DeviceEntry Device;
    int32_t Flag;
  };
  const std::vector<Case> cases = {
      {"USB 2.0 in the description", {"USB", kUsbGuidText, "None", "Generic USB 2.0 Hub", "None", "None"}, 1},
      {"USB 2.0 in the friendly name only", {"USB", kUsbGuidText, "Generic USB 2.0 Hub", "None", "None", "None"}, 0},
      {"Enhanced in class, driver and port only",
       {"Enhanced", kUsbGuidText, "None", "USB Root Hub", "Enhanced", "USB 2.0"},
       0},
      {"other letter case", {"USB", kUsbGuidText, "None", "usb 2.0 hub", "None", "None"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeReportList list = UsbList();
    Fill(list, {c.Device}, 1);
    EXPECT_EQ(gUsb20Flag, c.Flag);
  }
}

TEST(FillReportList, CountDecidesHowManyEntriesAreReadButNeverPastTheTable) {
  // Entries past the count are not shown and not assessed.
  FakeReportList list = UsbList();
  InventoryTable table = Devices(3);
  table[2].Description = "Generic USB 2.0 Hub";
  Fill(list, table, 2);
  EXPECT_EQ(list.Rows.size(), 16u);
  EXPECT_EQ(list.Rows[0].Text, "USB DeviceCount: \t2");
  EXPECT_EQ(gUsb20Flag, 0);

  // A count beyond the table reads what is there and stops.
  FakeReportList beyond = UsbList();
  Fill(beyond, Devices(2), 5);
  EXPECT_EQ(beyond.Rows.size(), 16u);
  EXPECT_EQ(beyond.Rows[0].Text, "USB DeviceCount: \t5");

  FakeReportList emptyTable = UsbList();
  Fill(emptyTable, InventoryTable{}, 1);
  EXPECT_EQ(Texts(emptyTable), (std::vector<std::string>{"USB DeviceCount: \t1", kSeparator}));

  // A negative count reads nothing.
  FakeReportList negative = UsbList();
  Fill(negative, Devices(2), -1);
  EXPECT_EQ(Texts(negative), (std::vector<std::string>{"USB DeviceCount: \t-1", kSeparator}));
}

}  // namespace
