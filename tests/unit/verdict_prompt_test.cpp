#include "verdict_prompt.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_verdict_prompt.h"

namespace {

const std::string kUsb20Message =
    "This computer has a USB 2.0 port.\r\n\r\nWould you like to see info about the USB drivers?";
const std::string kUsb11Message =
    "This computer has an older USB 1.1 port.\r\n\r\nWould you like to see infor about the USB drivers?";

// Exactly 1 is a USB 2.0 port; any other flag is the older port. Yes and
// No, no icon, Yes the default, no owner.
TEST(VerdictPrompt, TextAndCaptionFollowTheFlag) {
  struct Case {
    int32_t Flag;
    const std::string& Text;
    const char* Caption;
  };
  const Case cases[] = {
      {1, kUsb20Message, "Has USB 2.0 Port"},     {0, kUsb11Message, "Has USB 1.1 Port"},
      {2, kUsb11Message, "Has USB 1.1 Port"},     {-1, kUsb11Message, "Has USB 1.1 Port"},
      {0x101, kUsb11Message, "Has USB 1.1 Port"}, {INT32_MIN, kUsb11Message, "Has USB 1.1 Port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Flag);
    FakeVerdictPrompt prompt;
    ShowVerdictPrompt(prompt, c.Flag);
    ASSERT_EQ(prompt.Boxes.size(), 1u);
    const FakeVerdictPrompt::Box& box = prompt.Boxes[0];
    EXPECT_EQ(box.Text, c.Text);
    EXPECT_EQ(box.Caption, c.Caption);
    EXPECT_EQ(box.Owner, 0u);
    EXPECT_EQ(box.Type, 4u);
  }
}

TEST(VerdictPrompt, OnlyNoEndsTheMainWindow) {
  struct Case {
    const char* What;
    int32_t Answer;
    bool Ends;
  };
  const Case cases[] = {
      {"No", 7, true},
      {"Yes", 6, false},
      {"box failed", 0, false},
      {"Cancel, not offered", 2, false},
      {"unknown answer", -1, false},
  };
  for (const Case& c : cases) {
    for (int32_t flag : {0, 1}) {
      SCOPED_TRACE(std::string(c.What) + ", flag " + std::to_string(flag));
      FakeVerdictPrompt prompt;
      prompt.Answer = c.Answer;
      ShowVerdictPrompt(prompt, flag);
      EXPECT_EQ(prompt.Boxes.size(), 1u);
      if (c.Ends) {
        EXPECT_EQ(prompt.EndResults, std::vector<uint32_t>{0});
      } else {
        EXPECT_TRUE(prompt.EndResults.empty());
      }
    }
  }
}

}  // namespace
