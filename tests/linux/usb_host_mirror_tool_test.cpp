// The usb-host-mirror program itself, run as the run command runs it.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sysfs_tree.h"

namespace {

namespace fs = std::filesystem;

// Runs the program with `arguments` (already quoted for the shell) and
// returns its exit code, or -1 when it did not exit normally.
int RunMirror(const std::string& arguments) {
  const std::string command = std::string("'") + USB_HOST_MIRROR_PATH + "' " + arguments;
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class UsbHostMirrorTool : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(BuildSysfsTree(SysfsFixture("ehci_uhci.tree"), tree.path()), ""); }

  TemporaryFolder tree;
  TemporaryFolder out;
  const std::string expected = ReadTextFile(SysfsFixture("ehci_uhci.reg"));
};

TEST_F(UsbHostMirrorTool, WritesTheFileForTheEhciAndUhciTree) {
  const fs::path file = out.path() / "usb.reg";
  ASSERT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " --output " + Quoted(file)), 0);
  EXPECT_EQ(ReadTextFile(file), expected);
  // Nothing else is left next to it.
  EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);
}

TEST_F(UsbHostMirrorTool, ReplacesAnExistingFile) {
  const fs::path file = out.path() / "usb.reg";
  WriteTextFile(file, std::string(100000, 'x'));
  ASSERT_EQ(RunMirror("--output " + Quoted(file) + " --sysfs " + Quoted(tree.path())), 0);
  EXPECT_EQ(ReadTextFile(file), expected);
}

TEST_F(UsbHostMirrorTool, WritesToStandardOutputWithoutOutputOption) {
  const fs::path file = out.path() / "stdout.reg";
  ASSERT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " > " + Quoted(file)), 0);
  EXPECT_EQ(ReadTextFile(file), expected);
}

TEST_F(UsbHostMirrorTool, ReplacesTheFileALinkLeadsTo) {
  const fs::path file = out.path() / "usb.reg";
  WriteTextFile(file, "old");
  fs::create_symlink("usb.reg", out.path() / "link");
  ASSERT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " --output " + Quoted(out.path() / "link")), 0);
  EXPECT_TRUE(fs::is_symlink(out.path() / "link"));
  EXPECT_EQ(ReadTextFile(file), expected);
}

// A pipe (or a device) is written to, not replaced by a file.
TEST_F(UsbHostMirrorTool, WritesIntoAPipe) {
  const fs::path pipe = out.path() / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Opened for reading first, without waiting, so the program's open for
  // writing finds a reader; the file fits in the pipe's buffer.
  const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " --output " + Quoted(pipe)), 0);
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = read(reader, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  close(reader);
  EXPECT_EQ(text, expected);
  EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
}

TEST_F(UsbHostMirrorTool, FailsWithoutWritingOnBadInput) {
  const fs::path file = out.path() / "usb.reg";
  struct Case {
    const char* what;
    std::string arguments;
    int exitCode;
  };
  const Case cases[] = {
      {"unknown option", "--sysfs " + Quoted(tree.path()) + " --verbose --output " + Quoted(file), 2},
      {"extra argument", "extra --output " + Quoted(file), 2},
      {"option without value", "--output " + Quoted(file) + " --sysfs", 2},
      {"empty value", "--sysfs '' --output " + Quoted(file), 2},
      {"root missing", "--sysfs " + Quoted(tree.path() / "missing") + " --output " + Quoted(file), 1},
      {"root is a file",
       "--sysfs " + Quoted(tree.path() / "devices/pci0000:00/0000:00:1d.7/class") + " --output " + Quoted(file), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunMirror(c.arguments + " 2>/dev/null"), c.exitCode);
    EXPECT_FALSE(fs::exists(file));
  }
}

TEST_F(UsbHostMirrorTool, FailsWhenTheFileCannotBeWritten) {
  const fs::path file = out.path() / "missing folder" / "usb.reg";
  EXPECT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " --output " + Quoted(file) + " 2>/dev/null"), 1);
  EXPECT_FALSE(fs::exists(file.parent_path()));
  EXPECT_EQ(RunMirror("--sysfs " + Quoted(tree.path()) + " --output " + Quoted(out.path()) + " 2>/dev/null"), 1);
  EXPECT_TRUE(fs::is_directory(out.path()));
  EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 0);
}

TEST_F(UsbHostMirrorTool, HelpIsNoError) { EXPECT_EQ(RunMirror("--help > /dev/null"), 0); }

}  // namespace
