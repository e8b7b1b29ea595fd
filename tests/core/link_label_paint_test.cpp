#include <gtest/gtest.h>

#include <string>

#include "about/about_rules.h"
#include "about/label_paint.h"

namespace zemvar {
namespace {

int Red(Colour c) { return static_cast<int>(c & 0xFF); }

TEST(GradientPlan, WideFillKeepsHundredBandsAndGivesTheRemainderToTheLast) {
  const auto bands = PlanGradient(0, 250, 0x000000, 0x0000FF, GRADIENT_MAX_BANDS);
  ASSERT_EQ(bands.size(), 100u);
  for (int i = 0; i < 99; ++i) {
    EXPECT_EQ(bands[i].left, 2 * i) << i;
    EXPECT_EQ(bands[i].right - bands[i].left, 2) << i;
  }
  EXPECT_EQ(bands[99].left, 198);
  EXPECT_EQ(bands[99].right, 250);
  // Red steps by 652/256: 0, 2, 5, ... 252; never 255.
  EXPECT_EQ(bands[0].colour, 0x000000u);
  EXPECT_EQ(bands[1].colour, 0x000002u);
  EXPECT_EQ(Red(bands[2].colour), 5);
  EXPECT_EQ(bands[99].colour, 0x0000FCu);
  for (const auto& band : bands) {
    EXPECT_EQ(band.colour & 0xFFFF00u, 0u);
    EXPECT_NE(Red(band.colour), 255);
  }
}

TEST(GradientPlan, NarrowerRemaindersAndWidths) {
  auto bands = PlanGradient(10, 196, 0x000000, 0xFFFFFF, GRADIENT_MAX_BANDS);
  ASSERT_EQ(bands.size(), 100u);
  for (int i = 0; i < 99; ++i) EXPECT_EQ(bands[i].right - bands[i].left, 1) << i;
  EXPECT_EQ(bands[99].left, 109);
  EXPECT_EQ(bands[99].right, 196);

  // Under a hundred pixels: one band per column.
  bands = PlanGradient(0, 37, 0x102030, 0x405060, GRADIENT_MAX_BANDS);
  ASSERT_EQ(bands.size(), 37u);
  for (int i = 0; i < 37; ++i) EXPECT_EQ(bands[i].left, i);

  // One pixel: the start colour alone, however far the end colour lies.
  bands = PlanGradient(5, 6, 0x123456, 0xFFFFFF, GRADIENT_MAX_BANDS);
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_EQ(bands[0].colour, 0x123456u);
  EXPECT_EQ(bands[0].left, 5);
  EXPECT_EQ(bands[0].right, 6);

  EXPECT_TRUE(PlanGradient(4, 4, 0, 0xFFFFFF, GRADIENT_MAX_BANDS).empty());
  EXPECT_TRUE(PlanGradient(9, 4, 0, 0xFFFFFF, GRADIENT_MAX_BANDS).empty());
  EXPECT_TRUE(PlanGradient(0, 50, 0, 0xFFFFFF, 0).empty());
}

TEST(GradientPlan, BandsTileTheWholeWidth) {
  for (int width : {1, 2, 99, 100, 101, 199, 250, 1000}) {
    const auto bands = PlanGradient(3, 3 + width, 0xFF00FF, 0x00FF00, GRADIENT_MAX_BANDS);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.front().left, 3);
    EXPECT_EQ(bands.back().right, 3 + width);
    for (std::size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].left, bands[i - 1].right);
  }
}

TEST(GradientPlan, FallingChannelsTruncateTowardZero) {
  const auto bands = PlanGradient(0, 60, 0x0000FF, 0x000000, GRADIENT_MAX_BANDS);
  ASSERT_EQ(bands.size(), 60u);
  // Step -1088/256 per band: 255, 250, 246, 242, ... 4.
  const int expected[] = {255, 250, 246, 242, 238};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Red(bands[i].colour), expected[i]) << i;
  EXPECT_EQ(Red(bands[59].colour), 4);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(Red(bands[i].colour), (255 * 256 - i * 1088) / 256) << i;

  // Each channel on its own: blue rises while green falls.
  const auto mixed = PlanGradient(0, 3, 0x00FF00, 0xFF0000, GRADIENT_MAX_BANDS);
  ASSERT_EQ(mixed.size(), 3u);
  EXPECT_EQ(mixed[1].colour, 0x55AA00u);
  EXPECT_EQ(mixed[2].colour, 0xAA5500u);
}

TEST(TextFormat, StaticTypesAndCenteredImages) {
  EXPECT_EQ(TextFormatForStyle(0x50020000 /* SS_LEFT */, "x"), 0x10u);
  EXPECT_EQ(TextFormatForStyle(0x1, "x"), 0x11u);
  EXPECT_EQ(TextFormatForStyle(0x2, "x"), 0x12u);
  EXPECT_EQ(TextFormatForStyle(0xC, "x"), 0x0u);
  EXPECT_EQ(TextFormatForStyle(0xB /* SS_SIMPLE */, "x"), 0x10u);
  EXPECT_EQ(TextFormatForStyle(0x100 | 0x1 /* SS_NOTIFY keeps the type */, "x"), 0x11u);

  // SS_CENTERIMAGE replaces the type's format.
  EXPECT_EQ(TextFormatForStyle(0x200 | 0x2, "one line"), 0x25u);
  EXPECT_EQ(TextFormatForStyle(0x200, "two\r\nlines"), 0x01u);
  EXPECT_EQ(TextFormatForStyle(0x200, "bare\nnewline"), 0x25u);

  // SS_NOPREFIX shows '&' as it is.
  EXPECT_EQ(TextFormatForStyle(0x50020080, "a&b"), 0x810u);
  EXPECT_EQ(TextFormatForStyle(0x280, "a&b"), 0x825u);
}

TEST(BlinkColours, TextBlinkUsesTheOffColourAndBackgroundBlinkSwaps) {
  const Colour text = 0x0000FF, off = 0x00FF00, back = 0xC0C0C0;
  EXPECT_EQ(ColoursForPhase(BlinkNone, false, text, off, back).text, text);
  EXPECT_EQ(ColoursForPhase(BlinkNone, true, text, off, back).text, text);
  EXPECT_EQ(ColoursForPhase(BlinkText, false, text, off, back).text, off);
  EXPECT_EQ(ColoursForPhase(BlinkText, true, text, off, back).text, text);
  EXPECT_FALSE(ColoursForPhase(BlinkText, true, text, off, back).backgroundIsText);

  const LabelColours steady = ColoursForPhase(BlinkBackground, false, text, off, back);
  EXPECT_EQ(steady.text, text);
  EXPECT_FALSE(steady.backgroundIsText);
  const LabelColours swapped = ColoursForPhase(BlinkBackground, true, text, off, back);
  EXPECT_EQ(swapped.text, back);
  EXPECT_TRUE(swapped.backgroundIsText);
}

// The fields of a LOGFONT that the label edits, laid out under the same names.
struct TestLogFont {
  long lfHeight = -12;
  long lfWidth = 5;
  long lfEscapement = 0;
  long lfOrientation = 0;
  long lfWeight = 400;
  unsigned char lfItalic = 0;
  unsigned char lfUnderline = 0;
  unsigned char lfCharSet = 134;
  char lfFaceName[32] = "SimSun";
};

TEST(FontEdits, WeightSlantUnderlineAndAngle) {
  TestLogFont lf;
  ApplyBold(lf, 2);
  EXPECT_EQ(lf.lfWeight, 700);
  ApplyBold(lf, 0);
  EXPECT_EQ(lf.lfWeight, 400);

  ApplyUnderline(lf, 1);
  EXPECT_EQ(lf.lfUnderline, 1);
  ApplyUnderline(lf, 0x100);  // non-zero: on, although its low byte is zero
  EXPECT_EQ(lf.lfUnderline, 1);
  ApplyUnderline(lf, 0);
  EXPECT_EQ(lf.lfUnderline, 0);
  ApplyItalic(lf, -1);
  EXPECT_EQ(lf.lfItalic, 1);

  ApplyTextAngle(lf, 90);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOrientation, 900);
  ApplyTextAngle(lf, -45);
  EXPECT_EQ(lf.lfEscapement, -450);
  EXPECT_EQ(lf.lfOrientation, -450);
}

TEST(FontEdits, PointSizesAtCommonScreenResolutions) {
  EXPECT_EQ(HeightForPoints(9, 96), -12);
  EXPECT_EQ(HeightForPoints(10, 96), -13);
  EXPECT_EQ(HeightForPoints(12, 120), -20);
  EXPECT_EQ(HeightForPoints(0, 96), 0);
  TestLogFont lf;
  ApplyPointSize(lf, 24, 96);
  EXPECT_EQ(lf.lfHeight, -32);
  EXPECT_EQ(lf.lfWidth, 0);
}

TEST(FontEdits, FaceNamesThatDoNotFitAreRefused) {
  TestLogFont lf;
  EXPECT_TRUE(ApplyFaceName(lf, "Tahoma", 0));
  EXPECT_STREQ(lf.lfFaceName, "Tahoma");
  EXPECT_EQ(lf.lfCharSet, 0);

  const std::string longest(31, 'a');
  EXPECT_TRUE(ApplyFaceName(lf, longest.c_str(), 134));
  EXPECT_EQ(std::string(lf.lfFaceName), longest);

  const std::string tooLong(32, 'b');
  EXPECT_FALSE(ApplyFaceName(lf, tooLong.c_str(), 2));
  EXPECT_EQ(std::string(lf.lfFaceName), longest);
  EXPECT_EQ(lf.lfCharSet, 134);
  EXPECT_FALSE(ApplyFaceName(lf, nullptr, 2));
}

TEST(AboutRules, SystemCommandsSixteenToThirtyOneOpenAbout) {
  for (unsigned id = 16; id <= 31; ++id) EXPECT_TRUE(IsAboutSystemCommand(id)) << id;
  EXPECT_FALSE(IsAboutSystemCommand(15));
  EXPECT_FALSE(IsAboutSystemCommand(32));
  EXPECT_FALSE(IsAboutSystemCommand(0));
  EXPECT_FALSE(IsAboutSystemCommand(0xF060));  // SC_CLOSE
  EXPECT_FALSE(IsAboutSystemCommand(0xF012));  // SC_MOVE by the caption
}

}  // namespace
}  // namespace zemvar
