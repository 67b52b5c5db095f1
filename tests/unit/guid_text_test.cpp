#include "guid_text.h"

#include <gtest/gtest.h>

namespace {

struct GuidCase {
  Guid Value;
  const char* Text;
};

TEST(GuidText, RegistryFormWithUpperCaseDigits) {
  const GuidCase cases[] = {
      {{0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}},
       "{36FC9E60-C465-11CF-8056-444553540000}"},
      {{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}, "{00000000-0000-0000-0000-000000000000}"},
      {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
       "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
      // Members are numbers written most significant first; Data4 is bytes.
      {{0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
       "{01234567-89AB-CDEF-0123-456789ABCDEF}"},
      {{0x0000000A, 0x000B, 0x000C, {0x0D, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0}},
       "{0000000A-000B-000C-0D0E-0000000000F0}"},
  };
  for (const GuidCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(GuidText(c.Value), c.Text);
  }
}

}  // namespace
