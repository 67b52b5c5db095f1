#include "dialog_template.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The words a text takes in the template: one per byte, then a zero.
std::vector<uint16_t> Words(const std::string& text) {
  std::vector<uint16_t> words;
  for (const char c : text) words.push_back(static_cast<unsigned char>(c));
  words.push_back(0);
  return words;
}

void Append(std::vector<uint16_t>& to, const std::vector<uint16_t>& words) {
  to.insert(to.end(), words.begin(), words.end());
}

const DialogDefinition kMainWindow = {
    "USB Port Driver Information", kCentred, kCentred, 350, 300, 0xCF0080, 0, "MS Sans Serif", 8};

struct StyleCase {
  const char* Name;
  uint32_t Style;
  int16_t X;
  int16_t Y;
  uint32_t Expected;
};

TEST(DialogTemplateStyle, AddsTheEnginesBitsAndRemovesVisibleAndSystemModal) {
  const StyleCase cases[] = {
      {"main window, centred", 0xCF0080, -1, -1, 0xCF08D4},
      {"main window, placed", 0xCF0080, 10, 20, 0xCF00D4},
      {"only x centred", 0xCF0080, -1, 0, 0xCF08D4},
      {"only y centred", 0xCF0080, 0, -1, 0xCF08D4},
      {"other negative coordinates", 0xCF0080, -2, -32768, 0xCF00D4},
      {"no style", 0, 0, 0, 0x54},
      {"WS_VISIBLE removed", 0x10CF0080, -1, -1, 0xCF08D4},
      {"DS_SYSMODAL removed", 0xCF0082, -1, -1, 0xCF08D4},
      {"bits already present", 0xCF08D4, -1, -1, 0xCF08D4},
      {"every bit", 0xFFFFFFFF, 0, 0, 0xEFFFFFFD},
  };
  for (const StyleCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(DialogTemplateStyle(c.Style, c.X, c.Y), c.Expected);
  }
}

TEST(BuildDialogTemplate, LaysOutTheMainWindowWordByWord) {
  std::vector<uint16_t> expected = {0x08D4, 0x00CF,  // style 0xCF08D4
                                    0,      0,       // extended style
                                    0,               // no controls
                                    0xFFFF, 0xFFFF,  // x, y: -1, centred
                                    350,    300,
                                    0,   // no menu
                                    0};  // the platform's dialog class
  Append(expected, Words("USB Port Driver Information"));
  expected.push_back(8);
  Append(expected, Words("MS Sans Serif"));

  EXPECT_EQ(BuildDialogTemplate(kMainWindow), expected);
  EXPECT_EQ(expected.size(), 11u + 28u + 1u + 14u);
}

TEST(BuildDialogTemplate, CarriesTheExtendedStyleAndPlacement) {
  const DialogDefinition definition = {"T", 7, -3, 1, 2, 0x80000000, 0x00050201, "F", 12};
  const std::vector<uint16_t> expected = {0x0054, 0x8000, 0x0201, 0x0005, 0, 7, 0xFFFD, 1, 2, 0, 0, 'T', 0, 12, 'F', 0};
  EXPECT_EQ(BuildDialogTemplate(definition), expected);
}

struct TextCase {
  const char* Name;
  std::string Text;
  std::vector<uint16_t> Words;
};

TEST(BuildDialogTemplate, WidensEachTextByteAsItIsAndEndsAtTheFirstZero) {
  const std::string longText(5000, 'x');
  const std::vector<uint16_t> mainWindow = BuildDialogTemplate(kMainWindow);
  const std::vector<uint16_t> header(mainWindow.begin(), mainWindow.begin() + 11);
  const TextCase cases[] = {
      {"empty", "", {0}},
      {"high bytes, no code-page conversion", "\xE9t\xE9\x80\xFF", {0x00E9, 't', 0x00E9, 0x0080, 0x00FF, 0}},
      {"tab and control bytes", "a\tb\x01", {'a', '\t', 'b', 0x01, 0}},
      {"zero inside", std::string("ab\0cd", 5), {'a', 'b', 0}},
      {"zero first", std::string("\0x", 2), {0}},
      {"long", longText, Words(longText)},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.Name);
    DialogDefinition definition = kMainWindow;
    definition.Title = c.Text;
    definition.FontName = c.Text;
    std::vector<uint16_t> expected = header;
    Append(expected, c.Words);
    expected.push_back(8);
    Append(expected, c.Words);
    EXPECT_EQ(BuildDialogTemplate(definition), expected);
  }
}

}  // namespace
