#pragma once
// The in-memory dialog template the dialog engine hands to the platform's
// dialog manager: a DLGTEMPLATE with DS_SETFONT and no controls, laid out
// word by word as the platform reads it.

#include <cstdint>
#include <string_view>
#include <vector>

// The platform's style bits the dialog engine adds or removes, under names
// that do not clash with the platform headers' macros.
constexpr uint32_t kDs3dLook = 0x04;
constexpr uint32_t kDsNoFailCreate = 0x10;
constexpr uint32_t kDsSetFont = 0x40;
constexpr uint32_t kDsSysModal = 0x02;
constexpr uint32_t kDsCenter = 0x800;
constexpr uint32_t kWsVisible = 0x10000000;

// A coordinate of -1 asks for a window centred on the screen's working area.
constexpr int16_t kCentred = -1;

// A dialog window as the program defines it. Sizes are in dialog units of
// the font; texts are ANSI and end at their first zero byte.
struct DialogDefinition {
  std::string_view Title;
  int16_t X;
  int16_t Y;
  int16_t Width;
  int16_t Height;
  uint32_t Style;
  uint32_t ExtendedStyle;
  std::string_view FontName;
  uint16_t PointSize;
};

// The style the template carries: the given style with DS_SETFONT,
// DS_NOFAILCREATE and DS_3DLOOK added, DS_CENTER added when a coordinate is
// -1, and WS_VISIBLE and DS_SYSMODAL removed (the window is shown only by
// the modal run).
uint32_t DialogTemplateStyle(uint32_t style, int16_t x, int16_t y);

// The template's words, starting on a DWORD boundary when held in a vector
// (the platform requires it): header, no menu, the dialog class, the title,
// the point size and the font name. Each text byte is widened to one UTF-16
// code unit as it is, with no code-page conversion.
std::vector<uint16_t> BuildDialogTemplate(const DialogDefinition& definition);
