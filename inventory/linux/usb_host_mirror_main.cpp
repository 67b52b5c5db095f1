// usb-host-mirror: writes the machine's USB host controllers and hubs, read
// from the kernel's device tree, as a registry file for a Wine prefix's
// device database, named the way the platform itself would list them.
//
//   usb-host-mirror [--sysfs ROOT] [--output FILE]
//
// ROOT defaults to /sys; without --output the file goes to standard output.
// A FILE is replaced whole or not at all; a pipe or device is written to. Exit codes: 0 written, 1 ROOT is
// not a folder or the file could not be written, 2 bad command line.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "usb_host_devices.h"
#include "usb_host_topology.h"
#include "usb_registry_file.h"

namespace {

const char kUsage[] = "usage: usb-host-mirror [--sysfs ROOT] [--output FILE]\n";

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

// Writes a temporary file next to `path` and renames it over `path`, so a
// reader never sees a half-written file.
bool ReplaceFile(const std::string& path, const std::string& text) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  const bool ok = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, text);
  if (close(fd) != 0 || !ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    errno = error;
    return false;
  }
  return true;
}

// A new file or a regular one is replaced whole (through a link, the file it
// leads to); anything else that exists, such as a pipe or a device, is
// written in place, never replaced.
bool WriteOutput(const std::string& path, const std::string& text) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return ReplaceFile(path, text);
  if (S_ISREG(status.st_mode)) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return false;
    const std::string target = real;
    std::free(real);
    return ReplaceFile(target, text);
  }
  const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, text);
  return close(fd) == 0 && ok;
}

int Run(int argc, char** argv) {
  std::string sysfsRoot = "/sys";
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    const bool hasValue = i + 1 < argc && argv[i + 1][0] != '\0';
    if (option == "--sysfs" && hasValue) {
      sysfsRoot = argv[++i];
      continue;
    }
    if (option == "--output" && hasValue) {
      output = argv[++i];
      continue;
    }
    std::fprintf(stderr, "usb-host-mirror: unexpected argument \"%s\"\n%s", option.c_str(), kUsage);
    return 2;
  }

  std::error_code error;
  if (!std::filesystem::is_directory(sysfsRoot, error)) {
    std::fprintf(stderr, "usb-host-mirror: %s is not a folder\n", sysfsRoot.c_str());
    return 1;
  }
  const std::string text = UsbRegistryFileText(MirrorUsbHostDevices(ReadUsbHostTopology(sysfsRoot)));

  if (output.empty()) {
    if (!WriteAll(STDOUT_FILENO, text)) {
      std::fprintf(stderr, "usb-host-mirror: cannot write to standard output: %s\n", std::strerror(errno));
      return 1;
    }
    return 0;
  }
  if (!WriteOutput(output, text)) {
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
