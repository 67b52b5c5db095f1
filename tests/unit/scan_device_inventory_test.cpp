#include "scan_device_inventory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_device_setup.h"

namespace {

using Device = FakeDeviceSetup::Device;
using SetupClass = FakeDeviceSetup::SetupClass;

const char kUsbGuidText[] = "{36FC9E60-C465-11CF-8056-444553540000}";
constexpr Guid kOtherGuid = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const char kOtherGuidText[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";

Device FullDevice(const std::string& tag) {
  Device d;
  d.FriendlyName = "Friendly " + tag;
  d.Description = "Description " + tag;
  d.Driver = "Driver " + tag;
  d.PortName = "Port " + tag;
  return d;
}

SetupClass UsbClass(std::vector<Device> devices) { return {"USB", {kUsbClassGuid}, std::move(devices)}; }

// Runs a scan the way the main window does: the table starts with one empty
// entry. Every scan must release what it opened, whatever the case.
struct ScanResult {
  int32_t Count;
  InventoryTable Table;
};
ScanResult Scan(FakeDeviceSetup& setup, const std::string& classList) {
  ScanResult result{0, InventoryTable(1)};
  result.Count = ScanDeviceInventory(setup, classList, result.Table);
  EXPECT_TRUE(setup.EverythingReleasedOnce()) << "class list \"" << classList << "\"";
  return result;
}

std::vector<std::string> Fields(const DeviceEntry& entry) {
  std::vector<std::string> fields;
  for (int n = 1; n <= kDeviceFieldCount; ++n) fields.push_back(entry.Field(n));
  return fields;
}

size_t CountCalls(const FakeDeviceSetup& setup, const std::string& call) {
  return static_cast<size_t>(std::count(setup.Calls.begin(), setup.Calls.end(), call));
}

TEST(ScanDeviceInventory, RecordsTheSixFieldsOfEveryDeviceInOrder) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1"), FullDevice("2"), FullDevice("3")})};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.Count, 3);
  ASSERT_EQ(r.Table.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const std::string tag = std::to_string(k + 1);
    EXPECT_EQ(Fields(r.Table[k]), (std::vector<std::string>{"USB", kUsbGuidText, "Friendly " + tag,
                                                            "Description " + tag, "Driver " + tag, "Port " + tag}));
  }
  EXPECT_EQ(setup.SetsOpened, 1);
  EXPECT_EQ(setup.KeysOpened, 3);
}

TEST(ScanDeviceInventory, NoDeviceLeavesTheTableAsItCame) {
  struct Case {
    const char* What;
    std::vector<SetupClass> Classes;
    const char* ClassList;
  };
  const std::vector<Case> cases = {
      {"no class registered", {}, "USB"},
      {"class without devices", {UsbClass({})}, "USB"},
      {"only other classes", {{"Ports", {kOtherGuid}, {FullDevice("p")}}}, "USB"},
      {"empty class list", {UsbClass({FullDevice("1")})}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    FakeDeviceSetup setup;
    setup.Classes = c.Classes;
    const ScanResult r = Scan(setup, c.ClassList);
    EXPECT_EQ(r.Count, 0);
    ASSERT_EQ(r.Table.size(), 1u);
    EXPECT_EQ(Fields(r.Table[0]), std::vector<std::string>(6, ""));
  }
}

TEST(ScanDeviceInventory, NameWithoutGuidGetsNoFurtherPlatformCall) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1")})};
  const ScanResult r = Scan(setup, "USB/");
  EXPECT_EQ(r.Count, 1);
  // The empty second name is looked up once, and that is all.
  ASSERT_FALSE(setup.Calls.empty());
  EXPECT_EQ(setup.Calls.back(), "ClassGuidsFromName:");
  EXPECT_EQ(CountCalls(setup, "ClassGuidsFromName:"), 1u);

  FakeDeviceSetup unknown;
  Scan(unknown, "Nothing");
  EXPECT_EQ(unknown.Calls, std::vector<std::string>{"ClassGuidsFromName:Nothing"});
}

TEST(ScanDeviceInventory, NamesKeepTheirBlanksAndRepeatsAreScannedAgain) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1"), FullDevice("2")}), {" Ports ", {kOtherGuid}, {FullDevice("p")}}};
  const ScanResult r = Scan(setup, "USB/ Ports /USB");
  ASSERT_EQ(r.Count, 5);
  ASSERT_EQ(r.Table.size(), 5u);
  const std::vector<std::string> classes = {"USB", "USB", " Ports ", "USB", "USB"};
  const std::vector<std::string> guids = {kUsbGuidText, kUsbGuidText, kOtherGuidText, kUsbGuidText, kUsbGuidText};
  const std::vector<std::string> descriptions = {"Description 1", "Description 2", "Description p", "Description 1",
                                                 "Description 2"};
  for (size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(r.Table[k].Class, classes[k]);
    EXPECT_EQ(r.Table[k].Guid, guids[k]);
    EXPECT_EQ(r.Table[k].Description, descriptions[k]);
  }
  EXPECT_EQ(CountCalls(setup, "ClassGuidsFromName: Ports "), 2u);  // first and second lookup
  EXPECT_EQ(setup.SetsOpened, 3);
}

TEST(ScanDeviceInventory, LongNameIsCutTo127Bytes) {
  const std::string name(200, 'C');
  const std::string cut(127, 'C');
  FakeDeviceSetup setup;
  setup.Classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  const ScanResult r = Scan(setup, name);
  ASSERT_EQ(r.Count, 1);
  EXPECT_EQ(r.Table[0].Class, cut);
  EXPECT_EQ(setup.Calls.front(), "ClassGuidsFromName:" + cut);

  // Exactly 127 bytes is kept whole, 128 is cut.
  FakeDeviceSetup exact;
  exact.Classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  EXPECT_EQ(Scan(exact, cut).Count, 1);
  FakeDeviceSetup over;
  over.Classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  EXPECT_EQ(Scan(over, cut + "X").Table[0].Class, cut);
}

TEST(ScanDeviceInventory, OnlyTheFirstOfTwoGuidsIsEnumerated) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1")}), {"USB", {kOtherGuid}, {FullDevice("x"), FullDevice("y")}}};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.Count, 1);
  EXPECT_EQ(r.Table[0].Guid, kUsbGuidText);
  EXPECT_EQ(r.Table[0].Description, "Description 1");
  EXPECT_EQ(CountCalls(setup, "GetClassDevs"), 1u);
}

TEST(ScanDeviceInventory, UnopenableSetSkipsTheNameOnly) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1")}), {"Ports", {kOtherGuid}, {FullDevice("p")}}};
  setup.Classes[0].SetOpens = false;
  const ScanResult r = Scan(setup, "USB/Ports");
  ASSERT_EQ(r.Count, 1);
  EXPECT_EQ(r.Table[0].Class, "Ports");
  EXPECT_EQ(CountCalls(setup, "DestroyDeviceInfoList"), 1u);  // only the set that opened
}

TEST(ScanDeviceInventory, EnumerationEndsAtTheFirstFailure) {
  for (uint32_t failsAt : {0u, 1u, 2u, 3u}) {
    SCOPED_TRACE(failsAt);
    FakeDeviceSetup setup;
    setup.Classes = {UsbClass({FullDevice("1"), FullDevice("2"), FullDevice("3")})};
    setup.Classes[0].EnumerationFailsAt = failsAt;
    const ScanResult r = Scan(setup, "USB/USB");
    EXPECT_EQ(r.Count, static_cast<int32_t>(2 * failsAt));
    if (failsAt > 0) {
      EXPECT_EQ(r.Table[failsAt].Description, "Description 1");  // the second pass starts again
    }
  }
}

TEST(ScanDeviceInventory, MissingValuesReadNoneAndEmptyValuesStayEmpty) {
  Device bare;  // nothing at all, hardware key opens but has no portname
  Device empty;
  empty.FriendlyName = empty.Description = empty.Driver = empty.PortName = "";
  Device noFriendly = FullDevice("n");
  noFriendly.FriendlyName.reset();
  Device keyless = FullDevice("k");
  keyless.HardwareKeyOpens = false;

  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({bare, empty, noFriendly, keyless})};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.Count, 4);
  EXPECT_EQ(Fields(r.Table[0]), (std::vector<std::string>{"USB", kUsbGuidText, "None", "None", "None", "None"}));
  EXPECT_EQ(Fields(r.Table[1]), (std::vector<std::string>{"USB", kUsbGuidText, "", "", "", ""}));
  EXPECT_EQ(Fields(r.Table[2]),
            (std::vector<std::string>{"USB", kUsbGuidText, "None", "Description n", "Driver n", "Port n"}));
  EXPECT_EQ(r.Table[3].PortName, "None");
  EXPECT_EQ(r.Table[3].Driver, "Driver k");
  // The unopenable key was neither queried nor closed: three keys for four devices.
  EXPECT_EQ(setup.KeysOpened, 3);
  EXPECT_EQ(CountCalls(setup, "RegQueryValueEx:portname"), 3u);
  EXPECT_EQ(CountCalls(setup, "RegCloseKey"), 3u);
}

TEST(ScanDeviceInventory, ValuesAreReadWithinTheirBuffer) {
  struct Case {
    const char* What;
    std::string Stored;
    bool Unterminated;
    std::string Field;
  };
  const std::string b127(127, 'a'), b128(128, 'b'), b129(129, 'c');
  const std::vector<Case> cases = {
      {"127 bytes and its zero fill the buffer", b127, false, b127},
      {"128 bytes need 129: untouched", b128, false, "None"},
      {"128 bytes without a zero byte", b128, true, b128},
      {"129 bytes without a zero byte: untouched", b129, true, "None"},
      {"3 bytes without a zero byte over the preset", "abc", true, "abce"},
      {"high bytes pass unchanged", "\x80\xA9\xFF", false, "\x80\xA9\xFF"},
      {"a zero byte inside ends the text", std::string("ab\0cd", 5), false, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    Device d;
    d.FriendlyName = d.Description = d.Driver = d.PortName = c.Stored;
    d.Unterminated = c.Unterminated;
    FakeDeviceSetup setup;
    setup.Classes = {UsbClass({d})};
    const ScanResult r = Scan(setup, "USB");
    ASSERT_EQ(r.Count, 1);
    for (int n = 3; n <= 6; ++n) EXPECT_EQ(r.Table[0].Field(n), c.Field) << "field " << n;
  }
}

TEST(ScanDeviceInventory, CountRunsOnAcrossNamesAndTableHoldsExactlyThatMany) {
  FakeDeviceSetup setup;
  setup.Classes = {UsbClass({FullDevice("1"), FullDevice("2")}),
                   {"Ports", {kOtherGuid}, {FullDevice("p1"), FullDevice("p2"), FullDevice("p3")}}};
  ScanResult r{0, InventoryTable(1)};
  r.Table[0].Class = "stale";  // whatever the caller left, entry 1 is made anew
  r.Count = ScanDeviceInventory(setup, "Ports/Missing/USB", r.Table);
  ASSERT_EQ(r.Count, 5);
  ASSERT_EQ(r.Table.size(), 5u);
  EXPECT_EQ(r.Table[0].Class, "Ports");
  EXPECT_EQ(r.Table[2].FriendlyName, "Friendly p3");
  EXPECT_EQ(r.Table[3].Class, "USB");
  EXPECT_EQ(r.Table[4].PortName, "Port 2");
  EXPECT_TRUE(setup.EverythingReleasedOnce());
  EXPECT_EQ(setup.SetsOpened, 2);
  EXPECT_EQ(setup.KeysOpened, 5);
}

}  // namespace
