#pragma once
// A class GUID as the platform stores it, and its registry text form.

#include <cstdint>
#include <string>

// Same layout as the platform's GUID: 16 bytes, members in storage order.
struct Guid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(Guid) == 16, "a GUID is 16 bytes");

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": 38 characters, upper-case hex.
// Data1..Data3 are written most significant digit first, Data4 in storage
// order (two bytes, a hyphen, six bytes).
std::string GuidText(const Guid& guid);
