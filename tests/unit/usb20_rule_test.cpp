#include "usb20_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RuleCase {
  std::string Description;
  bool Matches;
};

TEST(Usb20Rule, MatchesExactBytesAnywhereInTheDescription) {
  const std::vector<RuleCase> cases = {
      {"Generic USB 2.0 Hub", true},
      {"Standard Enhanced PCI to USB Host Controller", true},
      {"USB 2.0", true},
      {"USB 2.0 Root Hub", true},  // at the very first byte
      {"Enhanced", true},
      {"Root Hub USB 2.0", true},  // at the very end
      {"Intel(R) 82801 USB 2.0 Enhanced Host Controller", true},
      {"xUSB 2.0x", true},
      {"Enhancedness", true},
      {std::string("\0USB 2.0", 8), true},  // bytes, not a C string
      {"", false},
      {"None", false},  // the placeholder for an unreadable description
      {"usb 2.0 hub", false},
      {"Usb 2.0 Hub", false},
      {"USB2.0 Hub", false},
      {"USB  2.0 Hub", false},
      {"USB 2,0 Hub", false},
      {"USB 2.", false},
      {"USB\t2.0", false},
      {"ENHANCED HOST", false},
      {"enhanced host", false},
      {"Enhance", false},
      {"En hanced", false},
      {"Standard Universal PCI to USB Host Controller", false},
      {"USB Root Hub", false},
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE("\"" + c.Description + "\"");
    gUsb20Flag = 0;
    ApplyUsb20Rule(c.Description);
    EXPECT_EQ(gUsb20Flag, c.Matches ? 1 : 0);
  }
}

TEST(Usb20Rule, OnceSetTheFlagStaysSet) {
  gUsb20Flag = 0;
  ApplyUsb20Rule("Standard Enhanced PCI to USB Host Controller");
  ApplyUsb20Rule("USB Root Hub");
  ApplyUsb20Rule("None");
  EXPECT_EQ(gUsb20Flag, 1);
}

TEST(Usb20Rule, OnlyTheDescriptionsDecideNotTheirOrderOrNumber) {
  const std::vector<std::vector<std::string>> matching = {
      {"USB Root Hub", "Generic USB 2.0 Hub", "None"},
      {"Generic USB 2.0 Hub", "USB Root Hub"},
      {"Generic USB 2.0 Hub", "Standard Enhanced PCI to USB Host Controller", "USB 2.0"},
  };
  for (const auto& descriptions : matching) {
    SCOPED_TRACE(descriptions.front());
    gUsb20Flag = 0;
    for (const std::string& d : descriptions) ApplyUsb20Rule(d);
    EXPECT_EQ(gUsb20Flag, 1);
  }

  gUsb20Flag = 0;
  for (const char* d : {"USB Root Hub", "usb 2.0 hub", "None", "ENHANCED HOST"}) ApplyUsb20Rule(d);
  EXPECT_EQ(gUsb20Flag, 0);
}

TEST(Usb20Rule, NoMatchLeavesTheFlagAsItWas) {
  // The rule only ever sets; it never writes 0 or any other value.
  for (int32_t before : {0, 1, 2, -1}) {
    SCOPED_TRACE(before);
    gUsb20Flag = before;
    ApplyUsb20Rule("USB Root Hub");
    EXPECT_EQ(gUsb20Flag, before);
  }
  gUsb20Flag = 0;
}

}  // namespace
