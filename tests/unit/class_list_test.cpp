#include "class_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ClassListCase {
  std::string Text;
  std::vector<std::string> Names;
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
    SCOPED_TRACE("class list \"" + c.Text + "\"");
    ASSERT_EQ(CountClassNames(c.Text), static_cast<int>(c.Names.size()));
    for (size_t k = 0; k < c.Names.size(); ++k) EXPECT_EQ(ClassNameAt(c.Text, static_cast<int>(k) + 1), c.Names[k]);
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
