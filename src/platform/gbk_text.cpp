#include "platform/gbk_text.h"

namespace zemvar {

std::size_t GbkPrefixLength(const char* text, std::size_t length, std::size_t limit) {
  std::size_t fits = 0;
  while (fits < length) {
    const unsigned char byte = static_cast<unsigned char>(text[fits]);
    const std::size_t step = byte >= 0x81 && byte <= 0xFE && fits + 1 < length ? 2 : 1;
    if (fits + step > limit) break;
    fits += step;
  }
  return fits;
}

}  // namespace zemvar
