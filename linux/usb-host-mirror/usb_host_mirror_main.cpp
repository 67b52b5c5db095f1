// usb-host-mirror: writes the machine's USB host controllers and hubs, read
// from the kernel's device tree, as a registry file for a Wine prefix's
// device database, named the way the platform itself would list them.
//
//   usb-host-mirror [--sysfs ROOT] [--output FILE|-]
//
// ROOT defaults to /sys. Without --output, or with "-", the file goes to
// standard output, written where it stands: a log opened for appending
// keeps what it held. A FILE must be a regular file or not exist yet; the
// text goes to a new file in its folder that is then renamed over it, so it
// is replaced whole or not at all. A replaced file keeps its permission
// bits; a new one gets 0666 less the umask. Refused, and left as it is: a
// symbolic link (never followed), a folder, a pipe, a device, a socket, a
// file the user may not write, and a file with no write bit at all. That
// last rule holds for root too, whom the system lets write anything: a
// read-only file is one its owner means to keep. A value may not start
// with "--" (it is an option the user forgot a value for); write a file of
// such a name as ./--name.
//
// Exit codes: 0 written; 1 ROOT is not a folder, or writing failed; 2 bad
// command line, or a FILE refused before anything was written.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "file_descriptor.h"
#include "usb_host_devices.h"
#include "usb_host_topology.h"
#include "usb_registry_file.h"

namespace {

const char kUsage[] = "usage: usb-host-mirror [--sysfs ROOT] [--output FILE|-]\n";

bool WriteAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// Why the existing `path` may not be replaced, or "" when it may. Checked
// on the entry itself (lstat), so nothing is opened: a pipe with no reader
// cannot block the run.
std::string RefusalReason(const std::string& path, const struct stat& status) {
  if (S_ISLNK(status.st_mode)) return "it is a symbolic link";
  if (S_ISDIR(status.st_mode)) return "it is a folder";
  if (S_ISFIFO(status.st_mode)) return "it is a pipe";
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "it is a device";
  if (S_ISSOCK(status.st_mode)) return "it is a socket";
  if (!S_ISREG(status.st_mode)) return "it is not a regular file";
  if ((status.st_mode & 0222) == 0) return "it is read-only";
  if (access(path.c_str(), W_OK) != 0) return std::string("it is not writable: ") + std::strerror(errno);
  return "";
}

// Whether `path` may be replaced: 0, with the mode its replacement gets in
// `mode`; or the exit code, the reason printed.
int CheckOutput(const std::string& path, mode_t* mode) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) {
      std::fprintf(stderr, "usb-host-mirror: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
    const mode_t mask = umask(0);
    umask(mask);
    *mode = 0666 & ~mask;
    return 0;
  }
  const std::string reason = RefusalReason(path, status);
  if (!reason.empty()) {
    std::fprintf(stderr, "usb-host-mirror: will not write %s: %s\n", path.c_str(), reason.c_str());
    return 2;
  }
  *mode = status.st_mode & 0777;
  return 0;
}

// Writes a temporary file next to `path` and renames it over `path`, so a
// reader never sees a half-written file. The temporary file is gone on
// every failure; errno tells the failure.
bool ReplaceFile(const std::string& path, const std::string& text, mode_t mode) {
  std::string temporary = path + ".XXXXXX";
  FileDescriptor file(mkstemp(temporary.data()));
  if (file.get() < 0) return false;
  // mkstemp makes the file private. fsync: renamed, the file is complete
  // even after a crash.
  const bool ok = fchmod(file.get(), mode) == 0 && WriteAll(file.get(), text) && fsync(file.get()) == 0 &&
                  close(file.take()) == 0 && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int error = errno;
    unlink(temporary.c_str());
    errno = error;
  }
  return ok;
}

int Run(int argc, char** argv) {
  std::string sysfsRoot = "/sys";
  std::string output;
  // Every option but --help takes a value.
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (option != "--sysfs" && option != "--output") {
      std::fprintf(stderr, "usb-host-mirror: unexpected argument \"%s\"\n%s", option.c_str(), kUsage);
      return 2;
    }
    const std::string value = i + 1 < argc ? argv[i + 1] : "";
    if (value.empty() || value.compare(0, 2, "--") == 0) {
      const std::string got = value.empty() ? "" : ", not \"" + value + "\"";
      std::fprintf(stderr, "usb-host-mirror: %s needs a value%s\n%s", option.c_str(), got.c_str(), kUsage);
      return 2;
    }
    (option == "--sysfs" ? sysfsRoot : output) = value;
  }
  const bool toStandardOutput = output.empty() || output == "-";

  // Checked before the tree is read, so a refusal comes at once.
  mode_t mode = 0;
  if (!toStandardOutput) {
    if (const int exitCode = CheckOutput(output, &mode)) return exitCode;
  }

  std::error_code error;
  if (!std::filesystem::is_directory(sysfsRoot, error)) {
    std::fprintf(stderr, "usb-host-mirror: %s is not a folder\n", sysfsRoot.c_str());
    return 1;
  }
  const std::string text = UsbRegistryFileText(MirrorUsbHostDevices(ReadUsbHostTopology(sysfsRoot)));

  if (toStandardOutput) {
    if (!WriteAll(STDOUT_FILENO, text)) {
      std::fprintf(stderr, "usb-host-mirror: cannot write to standard output: %s\n", std::strerror(errno));
      return 1;
    }
    return 0;
  }
  if (!ReplaceFile(output, text, mode)) {
    std::fprintf(stderr, "usb-host-mirror: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    // Out of memory is the only way here; say so rather than abort.
    std::fprintf(stderr, "usb-host-mirror: %s\n", e.what());
    return 1;
  }
}
