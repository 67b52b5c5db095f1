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
  d.friendlyName = "Friendly " + tag;
  d.description = "Description " + tag;
  d.driver = "Driver " + tag;
  d.portName = "Port " + tag;
  return d;
}

SetupClass UsbClass(std::vector<Device> devices) { return {"USB", {kUsbClassGuid}, std::move(devices)}; }

// Runs a scan the way the main window does: the table starts with one empty
// entry. Every scan must release what it opened, whatever the case.
struct ScanResult {
  int32_t count;
  InventoryTable table;
};
ScanResult Scan(FakeDeviceSetup& setup, const std::string& classList) {
  ScanResult result{0, InventoryTable(1)};
  result.count = ScanDeviceInventory(setup, classList, result.table);
  EXPECT_TRUE(setup.EverythingReleasedOnce()) << "class list \"" << classList << "\"";
  return result;
}

std::vector<std::string> Fields(const DeviceEntry& entry) {
  std::vector<std::string> fields;
  for (int n = 1; n <= kDeviceFieldCount; ++n) fields.push_back(entry.Field(n));
  return fields;
}

size_t CountCalls(const FakeDeviceSetup& setup, const std::string& call) {
  return static_cast<size_t>(std::count(setup.calls.begin(), setup.calls.end(), call));
}

TEST(ScanDeviceInventory, RecordsTheSixFieldsOfEveryDeviceInOrder) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1"), FullDevice("2"), FullDevice("3")})};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.count, 3);
  ASSERT_EQ(r.table.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const std::string tag = std::to_string(k + 1);
    EXPECT_EQ(Fields(r.table[k]), (std::vector<std::string>{"USB", kUsbGuidText, "Friendly " + tag,
                                                            "Description " + tag, "Driver " + tag, "Port " + tag}));
  }
  EXPECT_EQ(setup.setsOpened, 1);
  EXPECT_EQ(setup.keysOpened, 3);
}

TEST(ScanDeviceInventory, NoDeviceLeavesTheTableAsItCame) {
  struct Case {
    const char* what;
    std::vector<SetupClass> classes;
    const char* classList;
  };
  const std::vector<Case> cases = {
      {"no class registered", {}, "USB"},
      {"class without devices", {UsbClass({})}, "USB"},
      {"only other classes", {{"Ports", {kOtherGuid}, {FullDevice("p")}}}, "USB"},
      {"empty class list", {UsbClass({FullDevice("1")})}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDeviceSetup setup;
    setup.classes = c.classes;
    const ScanResult r = Scan(setup, c.classList);
    EXPECT_EQ(r.count, 0);
    ASSERT_EQ(r.table.size(), 1u);
    EXPECT_EQ(Fields(r.table[0]), std::vector<std::string>(6, ""));
  }
}

TEST(ScanDeviceInventory, NameWithoutGuidGetsNoFurtherPlatformCall) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1")})};
  const ScanResult r = Scan(setup, "USB/");
  EXPECT_EQ(r.count, 1);
  // The empty second name is looked up once, and that is all.
  ASSERT_FALSE(setup.calls.empty());
  EXPECT_EQ(setup.calls.back(), "ClassGuidsFromName:");
  EXPECT_EQ(CountCalls(setup, "ClassGuidsFromName:"), 1u);

  FakeDeviceSetup unknown;
  Scan(unknown, "Nothing");
  EXPECT_EQ(unknown.calls, std::vector<std::string>{"ClassGuidsFromName:Nothing"});
}

TEST(ScanDeviceInventory, NamesKeepTheirBlanksAndRepeatsAreScannedAgain) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1"), FullDevice("2")}), {" Ports ", {kOtherGuid}, {FullDevice("p")}}};
  const ScanResult r = Scan(setup, "USB/ Ports /USB");
  ASSERT_EQ(r.count, 5);
  ASSERT_EQ(r.table.size(), 5u);
  const std::vector<std::string> classes = {"USB", "USB", " Ports ", "USB", "USB"};
  const std::vector<std::string> guids = {kUsbGuidText, kUsbGuidText, kOtherGuidText, kUsbGuidText, kUsbGuidText};
  const std::vector<std::string> descriptions = {"Description 1", "Description 2", "Description p", "Description 1",
                                                 "Description 2"};
  for (size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(r.table[k].Class, classes[k]);
    EXPECT_EQ(r.table[k].Guid, guids[k]);
    EXPECT_EQ(r.table[k].Description, descriptions[k]);
  }
  EXPECT_EQ(CountCalls(setup, "ClassGuidsFromName: Ports "), 2u);  // first and second lookup
  EXPECT_EQ(setup.setsOpened, 3);
}

TEST(ScanDeviceInventory, LongNameIsCutTo127Bytes) {
  const std::string name(200, 'C');
  const std::string cut(127, 'C');
  FakeDeviceSetup setup;
  setup.classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  const ScanResult r = Scan(setup, name);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.table[0].Class, cut);
  EXPECT_EQ(setup.calls.front(), "ClassGuidsFromName:" + cut);

  // Exactly 127 bytes is kept whole, 128 is cut.
  FakeDeviceSetup exact;
  exact.classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  EXPECT_EQ(Scan(exact, cut).count, 1);
  FakeDeviceSetup over;
  over.classes = {{cut, {kUsbClassGuid}, {FullDevice("1")}}};
  EXPECT_EQ(Scan(over, cut + "X").table[0].Class, cut);
}

TEST(ScanDeviceInventory, OnlyTheFirstOfTwoGuidsIsEnumerated) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1")}), {"USB", {kOtherGuid}, {FullDevice("x"), FullDevice("y")}}};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.table[0].Guid, kUsbGuidText);
  EXPECT_EQ(r.table[0].Description, "Description 1");
  EXPECT_EQ(CountCalls(setup, "GetClassDevs"), 1u);
}

TEST(ScanDeviceInventory, UnopenableSetSkipsTheNameOnly) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1")}), {"Ports", {kOtherGuid}, {FullDevice("p")}}};
  setup.classes[0].setOpens = false;
  const ScanResult r = Scan(setup, "USB/Ports");
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.table[0].Class, "Ports");
  EXPECT_EQ(CountCalls(setup, "DestroyDeviceInfoList"), 1u);  // only the set that opened
}

TEST(ScanDeviceInventory, EnumerationEndsAtTheFirstFailure) {
  for (uint32_t failsAt : {0u, 1u, 2u, 3u}) {
    SCOPED_TRACE(failsAt);
    FakeDeviceSetup setup;
    setup.classes = {UsbClass({FullDevice("1"), FullDevice("2"), FullDevice("3")})};
    setup.classes[0].enumerationFailsAt = failsAt;
    const ScanResult r = Scan(setup, "USB/USB");
    EXPECT_EQ(r.count, static_cast<int32_t>(2 * failsAt));
    if (failsAt > 0) {
      EXPECT_EQ(r.table[failsAt].Description, "Description 1");  // the second pass starts again
    }
  }
}

TEST(ScanDeviceInventory, MissingValuesReadNoneAndEmptyValuesStayEmpty) {
  Device bare;  // nothing at all, hardware key opens but has no portname
  Device empty;
  empty.friendlyName = empty.description = empty.driver = empty.portName = "";
  Device noFriendly = FullDevice("n");
  noFriendly.friendlyName.reset();
  Device keyless = FullDevice("k");
  keyless.hardwareKeyOpens = false;

  FakeDeviceSetup setup;
  setup.classes = {UsbClass({bare, empty, noFriendly, keyless})};
  const ScanResult r = Scan(setup, "USB");
  ASSERT_EQ(r.count, 4);
  EXPECT_EQ(Fields(r.table[0]), (std::vector<std::string>{"USB", kUsbGuidText, "None", "None", "None", "None"}));
  EXPECT_EQ(Fields(r.table[1]), (std::vector<std::string>{"USB", kUsbGuidText, "", "", "", ""}));
  EXPECT_EQ(Fields(r.table[2]),
            (std::vector<std::string>{"USB", kUsbGuidText, "None", "Description n", "Driver n", "Port n"}));
  EXPECT_EQ(r.table[3].PortName, "None");
  EXPECT_EQ(r.table[3].Driver, "Driver k");
  // The unopenable key was neither queried nor closed: three keys for four devices.
  EXPECT_EQ(setup.keysOpened, 3);
  EXPECT_EQ(CountCalls(setup, "RegQueryValueEx:portname"), 3u);
  EXPECT_EQ(CountCalls(setup, "RegCloseKey"), 3u);
}

TEST(ScanDeviceInventory, ValuesAreReadWithinTheirBuffer) {
  struct Case {
    const char* what;
    std::string stored;
    bool unterminated;
    std::string field;
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
    SCOPED_TRACE(c.what);
    Device d;
    d.friendlyName = d.description = d.driver = d.portName = c.stored;
    d.unterminated = c.unterminated;
    FakeDeviceSetup setup;
    setup.classes = {UsbClass({d})};
    const ScanResult r = Scan(setup, "USB");
    ASSERT_EQ(r.count, 1);
    for (int n = 3; n <= 6; ++n) EXPECT_EQ(r.table[0].Field(n), c.field) << "field " << n;
  }
}

TEST(ScanDeviceInventory, CountRunsOnAcrossNamesAndTableHoldsExactlyThatMany) {
  FakeDeviceSetup setup;
  setup.classes = {UsbClass({FullDevice("1"), FullDevice("2")}),
                   {"Ports", {kOtherGuid}, {FullDevice("p1"), FullDevice("p2"), FullDevice("p3")}}};
  ScanResult r{0, InventoryTable(1)};
  r.table[0].Class = "stale";  // whatever the caller left, entry 1 is made anew
  r.count = ScanDeviceInventory(setup, "Ports/Missing/USB", r.table);
  ASSERT_EQ(r.count, 5);
  ASSERT_EQ(r.table.size(), 5u);
  EXPECT_EQ(r.table[0].Class, "Ports");
  EXPECT_EQ(r.table[2].FriendlyName, "Friendly p3");
  EXPECT_EQ(r.table[3].Class, "USB");
  EXPECT_EQ(r.table[4].PortName, "Port 2");
  EXPECT_TRUE(setup.EverythingReleasedOnce());
  EXPECT_EQ(setup.setsOpened, 2);
  EXPECT_EQ(setup.keysOpened, 5);
}

}  // namespace
