// The usb-host-mirror program itself, run as the run command runs it.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "file_descriptor.h"
#include "sysfs_tree.h"

namespace {

namespace fs = std::filesystem;

struct MirrorRun {
  int ExitCode;        // -1 when it did not end by itself
  std::string Errors;  // what it wrote to standard error
};

// Runs the program in `folder` with its standard output on `output` (or
// /dev/null) and files limited to `maxFileBytes`. A run still going after
// ten seconds is killed, so a program stuck on a pipe fails its test
// instead of hanging the suite.
MirrorRun RunMirror(std::vector<std::string> arguments, const fs::path& folder, int output = -1,
                    rlim_t maxFileBytes = RLIM_INFINITY) {
  std::string program = USB_HOST_MIRROR_PATH;
  std::vector<char*> argv = {program.data()};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // No name, so nothing to remove and nothing in the folders the tests list.
  const FileDescriptor errors(open(fs::temp_directory_path().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  const FileDescriptor null(open("/dev/null", O_WRONLY | O_CLOEXEC));
  if (errors.get() < 0 || null.get() < 0) return {-1, "cannot open the run's files"};
  const rlimit limit = {maxFileBytes, maxFileBytes};

  const pid_t pid = fork();
  if (pid == 0) {
    // Ignored, a write past the limit fails with EFBIG instead of a signal.
    signal(SIGXFSZ, SIG_IGN);
    if (chdir(folder.c_str()) != 0 || dup2(output >= 0 ? output : null.get(), STDOUT_FILENO) < 0 ||
        dup2(errors.get(), STDERR_FILENO) < 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0)
      _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return {-1, "cannot start the program"};

  int status = 0;
  pid_t ended = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  MirrorRun run = {ended == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1, ""};
  if (ended == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    run.Errors = "(killed after 10 s) ";
  }
  char buffer[4096];
  ssize_t got;
  for (off_t at = 0; (got = pread(errors.get(), buffer, sizeof buffer, at)) > 0; at += got)
    run.Errors.append(buffer, static_cast<std::size_t>(got));
  return run;
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// The permission bits in octal, "0640", so a failure reads as a mode.
std::string ModeText(const fs::path& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) return "(none)";
  char text[16];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  return text;
}

std::string OctalText(unsigned mode) {
  char text[16];
  std::snprintf(text, sizeof text, "%04o", mode);
  return text;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class UsbHostMirrorTool : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(BuildSysfsTree(SysfsFixture("ehci_uhci.tree"), tree.path()), ""); }

  // Runs the program in `out`.
  MirrorRun Run(std::vector<std::string> arguments, int output = -1, rlim_t maxFileBytes = RLIM_INFINITY) {
    return RunMirror(std::move(arguments), out.path(), output, maxFileBytes);
  }

  TemporaryFolder tree;
  TemporaryFolder out;
  const std::string expected = ReadTextFile(SysfsFixture("ehci_uhci.reg"));
};

TEST_F(UsbHostMirrorTool, WritesTheFileForTheEhciAndUhciTree) {
  const MirrorRun run = Run({"--sysfs", tree.path(), "--output", "usb.reg"});
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_EQ(ReadTextFile(out.path() / "usb.reg"), expected);
  // Nothing else is left next to it.
  EXPECT_EQ(Names(out.path()), std::set<std::string>{"usb.reg"});
}

TEST_F(UsbHostMirrorTool, ReplacesAnExistingFile) {
  const fs::path file = out.path() / "usb.reg";
  WriteTextFile(file, std::string(100000, 'x'));
  const MirrorRun run = Run({"--output", file, "--sysfs", tree.path()});
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_EQ(ReadTextFile(file), expected);
  EXPECT_EQ(Names(out.path()), std::set<std::string>{"usb.reg"});
}

TEST_F(UsbHostMirrorTool, WritesToStandardOutputWithoutOutputOption) {
  const fs::path file = out.path() / "stdout.reg";
  const FileDescriptor output(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  ASSERT_GE(output.get(), 0);
  const MirrorRun run = Run({"--sysfs", tree.path()}, output.get());
  ASSERT_EQ(run.ExitCode, 0) << run.Errors;
  EXPECT_EQ(ReadTextFile(file), expected);
}

// "-" is standard output written where it stands: a log opened for
// appending keeps what came before and gets what comes after.
TEST_F(UsbHostMirrorTool, DashWritesToStandardOutputInPlace) {
  const fs::path log = out.path() / "log";
  WriteTextFile(log, "before\n");
  {
    const FileDescriptor append(open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    ASSERT_GE(append.get(), 0);
    const MirrorRun run = Run({"--sysfs", tree.path(), "--output", "-"}, append.get());
    EXPECT_EQ(run.ExitCode, 0) << run.Errors;
    ASSERT_EQ(write(append.get(), "after\n", 6), 6);
  }
  EXPECT_EQ(ReadTextFile(log), "before\n" + expected + "after\n");
  EXPECT_EQ(Names(out.path()), std::set<std::string>{"log"});
}

// Only a regular file is replaced: a link is not followed, and a pipe,
// device, folder or socket is neither opened nor replaced. Refused at once,
// even a pipe no one reads.
TEST_F(UsbHostMirrorTool, RefusesAnythingButARegularFile) {
  const fs::path& o = out.path();
  WriteTextFile(o / "precious.txt", "keep me\n");
  ASSERT_EQ(chmod((o / "precious.txt").c_str(), 0600), 0);
  fs::create_symlink("precious.txt", o / "out.reg");
  ASSERT_EQ(mkfifo((o / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((o / "read pipe").c_str(), 0600), 0);
  const FileDescriptor reader(open((o / "read pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  ASSERT_GE(reader.get(), 0);
  fs::create_directory(o / "folder");
  const FileDescriptor socketFile(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (o / "socket").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(socketFile.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::set<std::string> names = Names(o);
  const fs::path stdoutFile = o / "stdout";
  const FileDescriptor output(open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  ASSERT_GE(output.get(), 0);

  struct Case {
    const char* What;
    fs::path Target;
    const char* Reason;
  };
  const Case cases[] = {
      {"a link to a file", o / "out.reg", "symbolic link"},
      {"a relative link", "out.reg", "symbolic link"},
      {"a link to standard output", "/dev/stdout", "symbolic link"},
      {"a device", "/dev/null", "device"},
      {"a pipe without reader", o / "pipe", "pipe"},
      {"a pipe with a reader", o / "read pipe", "pipe"},
      {"a folder", o / "folder", "folder"},
      {"a socket", o / "socket", "socket"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const MirrorRun run = Run({"--sysfs", tree.path(), "--output", c.Target}, output.get());
    EXPECT_EQ(run.ExitCode, 2) << run.Errors;
    EXPECT_TRUE(Contains(run.Errors, c.Target.string())) << run.Errors;
    EXPECT_TRUE(Contains(run.Errors, c.Reason)) << run.Errors;
  }

  EXPECT_EQ(ReadTextFile(o / "precious.txt"), "keep me\n");
  EXPECT_EQ(ModeText(o / "precious.txt"), "0600");
  EXPECT_EQ(fs::read_symlink(o / "out.reg"), "precious.txt");
  EXPECT_EQ(fs::symlink_status(o / "pipe").type(), fs::file_type::fifo);
  char byte;
  EXPECT_LE(read(reader.get(), &byte, 1), 0);
  EXPECT_TRUE(fs::is_empty(o / "folder"));
  EXPECT_EQ(fs::symlink_status(o / "socket").type(), fs::file_type::socket);
  EXPECT_EQ(ReadTextFile(stdoutFile), "");
  fs::remove(stdoutFile);
  EXPECT_EQ(Names(o), names);
}

// A file is replaced with its own mode, a new one gets the usual mode, and
// a file with no write bit at all is kept, even for root, whom the system
// would let write it.
TEST_F(UsbHostMirrorTool, KeepsTheModeAndRefusesAReadOnlyFile) {
  const mode_t mask = umask(0);
  umask(mask);
  struct Case {
    const char* What;
    std::optional<unsigned> Mode;  // nothing: no file yet
    int ExitCode;
    unsigned ModeAfter;
  };
  const Case cases[] = {
      {"new file", std::nullopt, 0, 0666 & ~mask},
      {"0640", 0640, 0, 0640},
      {"0600", 0600, 0, 0600},
      {"0666", 0666, 0, 0666},
      {"read-only 0444", 0444, 2, 0444},
      {"read-only 0400", 0400, 2, 0400},
      {"read-only 0555", 0555, 2, 0555},
  };
  const fs::path file = out.path() / "usb.reg";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    fs::remove(file);
    if (c.Mode) {
      WriteTextFile(file, "old");
      ASSERT_EQ(chmod(file.c_str(), *c.Mode), 0);
    }
    const MirrorRun run = Run({"--sysfs", tree.path(), "--output", file});
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Errors;
    EXPECT_EQ(ReadTextFile(file), c.ExitCode == 0 ? expected : "old");
    EXPECT_EQ(ModeText(file), OctalText(c.ModeAfter));
    if (c.ExitCode != 0) {
      EXPECT_TRUE(Contains(run.Errors, file.string() + ": it is read-only")) << run.Errors;
    }
    EXPECT_EQ(Names(out.path()), std::set<std::string>{"usb.reg"});
  }
}

TEST_F(UsbHostMirrorTool, FailsWithoutWritingOnBadInput) {
  const std::string root = tree.path();
  struct Case {
    const char* What;
    std::vector<std::string> Arguments;
    int ExitCode;
    const char* Message;
  };
  const Case cases[] = {
      {"unknown option", {"--sysfs", root, "--verbose", "--output", "usb.reg"}, 2, "unexpected argument \"--verbose\""},
      {"extra argument", {"extra", "--output", "usb.reg"}, 2, "unexpected argument \"extra\""},
      {"option without value", {"--output", "usb.reg", "--sysfs"}, 2, "--sysfs needs a value"},
      {"empty value", {"--sysfs", "", "--output", "usb.reg"}, 2, "--sysfs needs a value"},
      {"empty file name", {"--sysfs", root, "--output", ""}, 2, "--output needs a value"},
      {"an option for a file", {"--sysfs", root, "--output", "--help"}, 2, "--output needs a value"},
      {"the next option for a file", {"--output", "--sysfs", root}, 2, "--output needs a value"},
      {"the next option for a root", {"--sysfs", "--output", "usb.reg"}, 2, "--sysfs needs a value"},
      {"root missing", {"--sysfs", root + "/missing", "--output", "usb.reg"}, 1, "is not a folder"},
      {"root is a file",
       {"--sysfs", root + "/devices/pci0000:00/0000:00:1d.7/class", "--output", "usb.reg"},
       1,
       "is not a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const MirrorRun run = Run(c.Arguments);
    EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Errors;
    EXPECT_TRUE(Contains(run.Errors, c.Message)) << run.Errors;
    EXPECT_TRUE(fs::is_empty(out.path()));
  }
}

TEST_F(UsbHostMirrorTool, FailsWhenTheFileCannotBeWritten) {
  const fs::path file = out.path() / "missing folder" / "usb.reg";
  const MirrorRun run = Run({"--sysfs", tree.path(), "--output", file});
  EXPECT_EQ(run.ExitCode, 1) << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, file.string())) << run.Errors;
  EXPECT_FALSE(fs::exists(file.parent_path()));
}

// A write that fails part way (here: past the file size limit) leaves the
// old file as it was and no temporary file behind.
TEST_F(UsbHostMirrorTool, AFailedWriteKeepsTheOldFile) {
  const fs::path file = out.path() / "usb.reg";
  WriteTextFile(file, "old");
  const MirrorRun run = Run({"--sysfs", tree.path(), "--output", file}, -1, 100);
  EXPECT_EQ(run.ExitCode, 1) << run.Errors;
  EXPECT_TRUE(Contains(run.Errors, file.string())) << run.Errors;
  EXPECT_EQ(ReadTextFile(file), "old");
  EXPECT_EQ(Names(out.path()), std::set<std::string>{"usb.reg"});
}

TEST_F(UsbHostMirrorTool, HelpIsNoError) { EXPECT_EQ(Run({"--help"}).ExitCode, 0); }

}  // namespace
