#include "class_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ClassListCase {
  std::string text;
  std::vector<std::string> names;
};

TEST(ClassList, SplitsAtEverySeparatorAndKeepsEveryByte) {
  const std::string longName(200, 'N');
  const std::vector<ClassListCase> cases = {
      {"USB", {"USB"}},
      {"", {""}},
      {"USB/", {"USB", ""}},
      {"/USB", {"", "USB"}},
      {"USB//Ports", {"USB", "", "Ports"}},
      {"USB/USB", {"USB", "USB"}},
      {" USB / Ports ", {" USB ", " Ports "}},
      {"/", {"", ""}},
      {"a/b/c/d", {"a", "b", "c", "d"}},
      {longName, {longName}},
      {"USB\tHub", {"USB\tHub"}},
  };
  for (const ClassListCase& c : cases) {
    SCOPED_TRACE("class list \"" + c.text + "\"");
    ASSERT_EQ(CountClassNames(c.text), static_cast<int>(c.names.size()));
    for (size_t k = 0; k < c.names.size(); ++k) EXPECT_EQ(ClassNameAt(c.text, static_cast<int>(k) + 1), c.names[k]);
  }
}

TEST(ClassList, NumbersOutsideTheListGiveTheEmptyName) {
  for (int number : {-1, 0, 2, 3, 1000}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(ClassNameAt("USB", number), "");
  }
  EXPECT_EQ(ClassNameAt("USB/Ports", 3), "");
}

}  // namespace
