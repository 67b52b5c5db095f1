#pragma once
// One attribute file of the kernel's device tree (sysfs), read with care:
// the tree may be a copy, a test fixture or simply odd, so a file can be
// missing, empty, a directory, a link, a pipe, or far too large.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The kernel writes at most one page into an attribute; anything larger is
// not an attribute we understand.
constexpr std::size_t kMaxSysfsAttributeBytes = 4096;

// The file's text without leading and trailing blanks (space, tab, CR, LF,
// VT, FF). Nothing when the path is not a regular file (a link to one is
// not followed, nor opened), cannot be opened or read, or holds more than
// kMaxSysfsAttributeBytes bytes. Folders on the way may be links. Never
// blocks on a pipe or device node.
std::optional<std::string> ReadSysfsAttribute(const std::filesystem::path& path);

// A hexadecimal number as the kernel writes it, with or without "0x":
// "0x0c0320", "09", "8086". Nothing for an empty text, any other character,
// or a value above maxValue.
std::optional<uint32_t> ParseSysfsHex(std::string_view text, uint32_t maxValue);

// A plain decimal number: digits only, no sign. Nothing for an empty text,
// any other character, or a value above maxValue.
std::optional<uint32_t> ParseSysfsDecimal(std::string_view text, uint32_t maxValue);
