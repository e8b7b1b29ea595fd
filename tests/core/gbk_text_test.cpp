#include "platform/gbk_text.h"

#include <string>

#include <gtest/gtest.h>

namespace zemvar {
namespace {

std::size_t Fits(const std::string& text, std::size_t limit) { return GbkPrefixLength(text.data(), text.size(), limit); }

// The window-text reads keep 254 bytes, the tooltip 63: a cut inside a character would leave a lead
// byte that swallows whatever follows it.
TEST(GbkText, ACutNeverEndsInHalfACharacter) {
  const std::string chinese = "随";  // cb e6
  EXPECT_EQ(2u, Fits("ab" + chinese, 3));
  EXPECT_EQ(4u, Fits("ab" + chinese, 4));
  std::string all;
  for (int i = 0; i < 128; ++i) all += chinese;
  EXPECT_EQ(254u, Fits(all, 254));
  EXPECT_EQ(253u, Fits("a" + all, 254)) << "one byte short of the last whole character";
  EXPECT_EQ(2u, Fits("\x81\x40\x81\x40", 3)) << "a trail byte may look like ASCII";
  EXPECT_EQ(2u, Fits("a\x81", 5)) << "a lead byte at the very end is a byte of its own";
  EXPECT_EQ(3u, Fits("abc", 254));
  EXPECT_EQ(0u, Fits(chinese, 1));
}

}  // namespace
}  // namespace zemvar
