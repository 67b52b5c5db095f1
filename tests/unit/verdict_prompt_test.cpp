#include "verdict_prompt.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_verdict_prompt.h"

namespace {

const std::string kUsb20Message =
    "This computer has a USB 2.0 port.\r\n\r\nWould you like to see info about the USB drivers?";
const std::string kUsb11Message =
    "This computer has an older USB 1.1 port.\r\n\r\nWould you like to see infor about the USB drivers?";

TEST(VerdictPrompt, Usb20VerdictTextAndCaption) {
  FakeVerdictPrompt prompt;
  ShowVerdictPrompt(prompt, 1);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  const FakeVerdictPrompt::Box& box = prompt.boxes[0];
  EXPECT_EQ(box.text, kUsb20Message);
  EXPECT_EQ(box.text.size(), 86u);  // 33 + 4 + 49
  EXPECT_EQ(box.caption, "Has USB 2.0 Port");
  EXPECT_EQ(box.owner, 0u);
  EXPECT_EQ(box.type, 4u);  // Yes and No, no icon, Yes the default
}

TEST(VerdictPrompt, AnyOtherFlagGivesTheUsb11Verdict) {
  for (int32_t flag : {0, 2, -1, 0x101, INT32_MIN}) {
    SCOPED_TRACE(flag);
    FakeVerdictPrompt prompt;
    ShowVerdictPrompt(prompt, flag);
    ASSERT_EQ(prompt.boxes.size(), 1u);
    const FakeVerdictPrompt::Box& box = prompt.boxes[0];
    EXPECT_EQ(box.text, kUsb11Message);
    EXPECT_EQ(box.text.size(), 94u);  // 40 + 4 + 50
    EXPECT_EQ(box.caption, "Has USB 1.1 Port");
    EXPECT_EQ(box.owner, 0u);
    EXPECT_EQ(box.type, 4u);
  }
}

TEST(VerdictPrompt, OnlyNoEndsTheMainWindow) {
  struct Case {
    const char* what;
    int32_t answer;
    bool ends;
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
      SCOPED_TRACE(std::string(c.what) + ", flag " + std::to_string(flag));
      FakeVerdictPrompt prompt;
      prompt.answer = c.answer;
      ShowVerdictPrompt(prompt, flag);
      EXPECT_EQ(prompt.boxes.size(), 1u);
      if (c.ends) {
        EXPECT_EQ(prompt.endResults, std::vector<uint32_t>{0});
      } else {
        EXPECT_TRUE(prompt.endResults.empty());
      }
    }
  }
}

}  // namespace
