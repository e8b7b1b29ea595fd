// The link label's painting rules: gradient bands, text format, blink colours and font changes.
// No window system here; colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace zemvar {

using Colour = std::uint32_t;

inline constexpr int GRADIENT_MAX_BANDS = 100;

enum BlinkMode : std::int32_t { BlinkNone = 0, BlinkText = 1, BlinkBackground = 2 };

// One vertical band of a gradient fill: columns [left, right) in the colour given.
struct GradientBand {
  int left;
  int right;
  Colour colour;
};

// Splits [left, right) into at most maxBands bands stepping from `from` towards `to` in 8.8 fixed
// point. The last band takes the remainder of the width; nothing for an empty width.
std::vector<GradientBand> PlanGradient(int left, int right, Colour from, Colour to, int maxBands);

// The DrawText format a static control's style asks for, given its text.
unsigned TextFormatForStyle(std::uint32_t style, std::string_view text);

// What the label paints in one blink phase.
struct LabelColours {
  Colour text;
  bool backgroundIsText;  // background painted in the text colour (background blink, "on" phase)
};

// textColour: the label's text colour; offColour: the custom background colour, or black without
// one; backgroundColour: the colour the background shows (custom, gradient start or button face).
LabelColours ColoursForPhase(BlinkMode mode, bool phase, Colour textColour, Colour offColour,
                             Colour backgroundColour);

// lfHeight of a font of `points` on a screen of `dpi` pixels per inch, as a point font is made.
int HeightForPoints(int points, int dpi);

// Font edits on anything shaped like a LOGFONT (the real one, or a test's own).
template <class LogFont>
void ApplyBold(LogFont& lf, long bold) {
  lf.lfWeight = bold ? 700 : 400;
}
// Any non-zero flag turns the attribute on; the low byte alone would lose values such as 0x100.
template <class LogFont>
void ApplyUnderline(LogFont& lf, long on) {
  lf.lfUnderline = on ? 1 : 0;
}
template <class LogFont>
void ApplyItalic(LogFont& lf, long on) {
  lf.lfItalic = on ? 1 : 0;
}
template <class LogFont>
void ApplyTextAngle(LogFont& lf, int degrees) {
  lf.lfEscapement = degrees * 10;
  lf.lfOrientation = degrees * 10;
}
template <class LogFont>
void ApplyPointSize(LogFont& lf, int points, int dpi) {
  lf.lfHeight = HeightForPoints(points, dpi);
  lf.lfWidth = 0;
}
// A face name that does not fit (31 characters and the terminator) names no font at all, so it is
// refused and the font stays as it was. Returns whether the font changed.
template <class LogFont>
bool ApplyFaceName(LogFont& lf, const char* name, unsigned char charSet) {
  const std::size_t length = name ? std::strlen(name) : 0;
  if (!name || length >= sizeof(lf.lfFaceName)) return false;
  std::memcpy(lf.lfFaceName, name, length + 1);
  lf.lfCharSet = charSet;
  return true;
}

}  // namespace zemvar
