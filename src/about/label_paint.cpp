#include "about/label_paint.h"

#include <algorithm>
#include <cstdlib>

namespace zemvar {

namespace {

int Channel(Colour c, int index) { return static_cast<int>((c >> (8 * index)) & 0xFF); }

}  // namespace

std::vector<GradientBand> PlanGradient(int left, int right, Colour from, Colour to, int maxBands) {
  std::vector<GradientBand> bands;
  const int width = right - left;
  const int n = std::min(maxBands, width);
  if (n <= 0) return bands;
  const int divisor = n > 1 ? n : 1;
  int step[3];
  int acc[3];
  for (int c = 0; c < 3; ++c) {
    // C++ division truncates toward zero, as the steps must.
    step[c] = (Channel(to, c) - Channel(from, c)) * 256 / divisor;
    acc[c] = Channel(from, c) * 256;
  }
  const int bandWidth = width / divisor;
  bands.reserve(static_cast<std::size_t>(n));
  int x = left;
  for (int i = 0; i < n; ++i) {
    const int edge = i == n - 1 ? right : x + bandWidth;
    const Colour colour = static_cast<Colour>(acc[0] / 256) | static_cast<Colour>(acc[1] / 256) << 8 |
                          static_cast<Colour>(acc[2] / 256) << 16;
    bands.push_back({x, edge, colour});
    for (int c = 0; c < 3; ++c) acc[c] += step[c];
    x = edge;
  }
  return bands;
}

namespace {

unsigned BaseTextFormat(std::uint32_t style, std::string_view text) {
  constexpr unsigned kCenter = 0x01, kRight = 0x02, kVCenter = 0x04, kWordBreak = 0x10,
                     kSingleLine = 0x20;
  if (style & 0x200) {  // SS_CENTERIMAGE
    return text.find("\r\n") != std::string_view::npos ? kCenter : kCenter | kVCenter | kSingleLine;
  }
  switch (style & 0x1F) {
    case 0x01:  // SS_CENTER
      return kCenter | kWordBreak;
    case 0x02:  // SS_RIGHT
      return kRight | kWordBreak;
    case 0x0C:  // SS_LEFTNOWORDWRAP
      return 0;
    default:
      return kWordBreak;
  }
}

}  // namespace

unsigned TextFormatForStyle(std::uint32_t style, std::string_view text) {
  // A static that shows '&' literally (SS_NOPREFIX) must not have it turned into an underline.
  return BaseTextFormat(style, text) | ((style & 0x80) ? 0x800u : 0u);
}

LabelColours ColoursForPhase(BlinkMode mode, bool phase, Colour textColour, Colour offColour,
                             Colour backgroundColour) {
  if (mode == BlinkText && !phase) return {offColour, false};
  // Background blink swaps the two colours, so the text stays readable in both phases.
  if (mode == BlinkBackground && phase) return {backgroundColour, true};
  return {textColour, false};
}

int HeightForPoints(int points, int dpi) {
  // Tenths of a point to pixels, as a point font does: -(dpi * tenths / 720), truncated.
  return -std::abs(dpi * points * 10 / 720);
}

}  // namespace zemvar
