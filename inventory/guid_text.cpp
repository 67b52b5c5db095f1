#include "guid_text.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Writes `digits` hex digits of `value`, most significant first.
char* PutHex(char* out, uint32_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) *out++ = kHexDigits[(value >> shift) & 0xF];
  return out;
}

}  // namespace

std::string GuidText(const Guid& guid) {
  char text[38];
  char* out = text;
  *out++ = '{';
  out = PutHex(out, guid.Data1, 8);
  *out++ = '-';
  out = PutHex(out, guid.Data2, 4);
  *out++ = '-';
  out = PutHex(out, guid.Data3, 4);
  *out++ = '-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) *out++ = '-';
    out = PutHex(out, guid.Data4[i], 2);
  }
  *out++ = '}';
  return std::string(text, sizeof text);
}
