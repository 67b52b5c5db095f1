#include "dialog_template.h"

namespace {

void AppendDword(std::vector<uint16_t>& words, uint32_t value) {
  words.push_back(static_cast<uint16_t>(value & 0xFFFF));
  words.push_back(static_cast<uint16_t>(value >> 16));
}

// The text up to its first zero byte, each byte one code unit, then the
// terminator. A zero inside the text would otherwise end it early and shift
// every field after it.
void AppendText(std::vector<uint16_t>& words, std::string_view text) {
  for (const char c : text) {
    if (c == '\0') break;
    words.push_back(static_cast<unsigned char>(c));
  }
  words.push_back(0);
}

}  // namespace

uint32_t DialogTemplateStyle(uint32_t style, int16_t x, int16_t y) {
  style |= kDsSetFont | kDsNoFailCreate | kDs3dLook;
  if (x == kCentred || y == kCentred) style |= kDsCenter;
  return style & ~(kWsVisible | kDsSysModal);
}

std::vector<uint16_t> BuildDialogTemplate(const DialogDefinition& definition) {
  std::vector<uint16_t> words;
  AppendDword(words, DialogTemplateStyle(definition.Style, definition.X, definition.Y));
  AppendDword(words, definition.ExtendedStyle);
  words.push_back(0);  // no controls
  words.push_back(static_cast<uint16_t>(definition.X));
  words.push_back(static_cast<uint16_t>(definition.Y));
  words.push_back(static_cast<uint16_t>(definition.Width));
  words.push_back(static_cast<uint16_t>(definition.Height));
  words.push_back(0);  // no menu
  words.push_back(0);  // the platform's dialog class
  AppendText(words, definition.Title);
  words.push_back(definition.PointSize);
  AppendText(words, definition.FontName);
  return words;
}
