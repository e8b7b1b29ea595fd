// GBK, the rules' text: a byte from 0x81 to 0xFE starts a two-byte character, any other byte is one.
#pragma once

#include <cstddef>

namespace zemvar {

// How many of the first `length` bytes of `text` fit in `limit` bytes without ending in half a
// character. A lead byte with nothing after it counts as a character of its own.
std::size_t GbkPrefixLength(const char* text, std::size_t length, std::size_t limit);

}  // namespace zemvar
