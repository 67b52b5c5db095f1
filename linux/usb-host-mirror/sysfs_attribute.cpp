#include "sysfs_attribute.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_descriptor.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The digit's value in base 10 or 16, or -1 when it is not one.
int DigitValue(char c, uint32_t base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits only, no sign or prefix. Each digit is checked before it is added,
// so leading zeros of any length are fine and nothing overflows.
std::optional<uint32_t> ParseDigits(std::string_view text, uint32_t base, uint32_t maxValue) {
  if (text.empty()) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    const uint32_t d = static_cast<uint32_t>(digit);
    if (d > maxValue || value > (maxValue - d) / base) return std::nullopt;
    value = value * base + d;
  }
  return value;
}

}  // namespace

std::optional<std::string> ReadSysfsAttribute(const std::filesystem::path& path) {
  // O_NOFOLLOW: the kernel's attributes are files in the device's own
  // folder, so a link in their place is not one and could lead anywhere.
  // O_NONBLOCK: opening a pipe with no writer must not wait for one.
  const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return std::nullopt;
  struct stat status;
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;

  // One byte more than allowed tells a full page from an oversized file.
  char buffer[kMaxSysfsAttributeBytes + 1];
  std::size_t size = 0;
  while (size < sizeof buffer) {
    const ssize_t got = read(file.get(), buffer + size, sizeof buffer - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  if (size > kMaxSysfsAttributeBytes) return std::nullopt;

  std::size_t begin = 0;
  while (begin < size && IsBlank(buffer[begin])) ++begin;
  while (size > begin && IsBlank(buffer[size - 1])) --size;
  return std::string(buffer + begin, size - begin);
}

std::optional<uint32_t> ParseSysfsHex(std::string_view text, uint32_t maxValue) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  return ParseDigits(text, 16, maxValue);
}

std::optional<uint32_t> ParseSysfsDecimal(std::string_view text, uint32_t maxValue) {
  return ParseDigits(text, 10, maxValue);
}
