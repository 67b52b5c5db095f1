#include "sysfs_attribute.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sysfs_tree.h"

namespace {

namespace fs = std::filesystem;

TEST(ReadSysfsAttribute, TrimsBlanksAroundTheText) {
  struct Case {
    const char* What;
    std::string Content;
    std::string Text;
  };
  const Case cases[] = {
      {"kernel form", "0x0c0320\n", "0x0c0320"},
      {"no newline", "0x0c0320", "0x0c0320"},
      {"leading blank kept inside", " 2.00\n", "2.00"},
      {"CR LF", "0x8086\r\n", "0x8086"},
      {"blanks both sides", " \t 09 \t\n\n\v\f", "09"},
      {"blank inside kept", "usb host\n", "usb host"},
      {"empty", "", ""},
      {"only a newline", "\n", ""},
      {"zero byte kept", std::string("09\0x\n", 5), std::string("09\0x", 4)},
      {"a full page", std::string(kMaxSysfsAttributeBytes, '7'), std::string(kMaxSysfsAttributeBytes, '7')},
  };
  TemporaryFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    WriteTextFile(folder.path() / "attribute", c.Content);
    EXPECT_EQ(ReadSysfsAttribute(folder.path() / "attribute"), std::optional<std::string>(c.Text));
  }
}

TEST(ReadSysfsAttribute, NothingForWhatIsNotAReadableAttribute) {
  TemporaryFolder folder;
  const fs::path& root = folder.path();
  WriteTextFile(root / "one page and a byte", std::string(kMaxSysfsAttributeBytes + 1, '7'));
  WriteTextFile(root / "a megabyte", std::string(1 << 20, '7'));
  fs::create_directories(root / "a folder");
  fs::create_symlink("nowhere", root / "a dangling link");
  fs::create_symlink("a loop", root / "a loop");
  fs::create_symlink("/dev/zero", root / "an endless device");
  ASSERT_EQ(mkfifo((root / "a pipe without writer").c_str(), 0600), 0);
  WriteTextFile(root / "a file", "09\n");

  const char* const names[] = {"missing",           "one page and a byte",   "a megabyte",
                               "a folder",          "a dangling link",       "a loop",
                               "an endless device", "a pipe without writer", "a file/below a file"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadSysfsAttribute(root / name), std::nullopt);
  }
}

// Attributes are files in the device's own folder; a link there is not the
// kernel's, so it is not followed, wherever it leads, and what it leads to
// is never opened.
TEST(ReadSysfsAttribute, NeverFollowsALink) {
  TemporaryFolder folder;
  TemporaryFolder elsewhere;
  const fs::path shadow = elsewhere.path() / "shadow";
  WriteTextFile(folder.path() / "real", "0x8086\n");
  WriteTextFile(shadow, "root:secret\n");
  ASSERT_EQ(mkfifo((elsewhere.path() / "pipe").c_str(), 0600), 0);
  fs::create_symlink("real", folder.path() / "a link in the folder");
  fs::create_symlink(shadow, folder.path() / "a link out of the tree");
  fs::create_symlink("../" + elsewhere.path().filename().string() + "/shadow", folder.path() / "a relative link out");
  fs::create_symlink(elsewhere.path() / "pipe", folder.path() / "a link to a pipe");
  const OpenWatch watchReal(folder.path() / "real");
  const OpenWatch watchShadow(shadow);
  const OpenWatch watchPipe(elsewhere.path() / "pipe");

  const char* const names[] = {"a link in the folder", "a link out of the tree", "a relative link out",
                               "a link to a pipe"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadSysfsAttribute(folder.path() / name), std::nullopt);
  }
  EXPECT_FALSE(watchReal.SawOpen());
  EXPECT_FALSE(watchShadow.SawOpen());
  EXPECT_FALSE(watchPipe.SawOpen());
}

struct NumberCase {
  const char* Text;
  uint32_t MaxValue;
  std::optional<uint32_t> Value;
};

TEST(ParseSysfsHex, AcceptsHexDigitsWithOrWithoutPrefix) {
  const NumberCase cases[] = {
      {"0x0c0320", 0xFFFFFF, 0x0C0320},
      {"0X0C0310", 0xFFFFFF, 0x0C0310},
      {"09", 0xFF, 0x09},
      {"9", 0xFF, 0x09},
      {"8086", 0xFFFF, 0x8086},
      {"0xffff", 0xFFFF, 0xFFFF},
      {"0000000000000000000000009", 0xFF, 9},
      {"FFFFFFFF", UINT32_MAX, UINT32_MAX},
      {"0", 0, 0},
      {"0x10000", 0xFFFF, std::nullopt},
      {"0x100c0320", 0xFFFFFF, std::nullopt},
      {"1FFFFFFFF", UINT32_MAX, std::nullopt},
      {"A", 9, std::nullopt},
      {"", 0xFF, std::nullopt},
      {"0x", 0xFF, std::nullopt},
      {"0x0x1", 0xFF, std::nullopt},
      {"x1", 0xFF, std::nullopt},
      {"-1", 0xFF, std::nullopt},
      {"+1", 0xFF, std::nullopt},
      {" 1", 0xFF, std::nullopt},
      {"1 ", 0xFF, std::nullopt},
      {"0x24cdzz", 0xFFFF, std::nullopt},
      {"g", 0xFF, std::nullopt},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ParseSysfsHex(c.Text, c.MaxValue), c.Value);
  }
}

TEST(ParseSysfsDecimal, AcceptsDigitsOnly) {
  const NumberCase cases[] = {
      {"1", 10, 1},
      {"480", 5000, 480},
      {"007", 7, 7},
      {"4294967295", UINT32_MAX, UINT32_MAX},
      {"4294967296", UINT32_MAX, std::nullopt},
      {"99999999999999999999", UINT32_MAX, std::nullopt},
      {"11", 10, std::nullopt},
      {"9", 8, std::nullopt},
      {"", 10, std::nullopt},
      {"1.5", 10, std::nullopt},
      {"-1", 10, std::nullopt},
      {"0x1", 10, std::nullopt},
      {"a", 10, std::nullopt},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ParseSysfsDecimal(c.Text, c.MaxValue), c.Value);
  }
}

}  // namespace
