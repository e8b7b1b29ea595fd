#include "platform/win32_text.h"

#include <windows.h>

#include "platform/gbk_text.h"

namespace zemvar {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

WideText WideFromGbk(const std::string& gbk) {
  const int length = static_cast<int>(gbk.size());
  const int count = gbk.empty() ? 0 : MultiByteToWideChar(kGbk, 0, gbk.data(), length, nullptr, 0);
  WideText wide(static_cast<std::size_t>(count) + 1, L'\0');
  if (count > 0) MultiByteToWideChar(kGbk, 0, gbk.data(), length, wide.data(), count);
  return wide;
}

std::string GbkFromWide(const wchar_t* text, std::size_t length, std::size_t limit) {
  if (!text || length == 0) return std::string();
  const int count = static_cast<int>(length);
  std::string gbk(static_cast<std::size_t>(WideCharToMultiByte(kGbk, 0, text, count, nullptr, 0, nullptr, nullptr)),
                  '\0');
  if (!gbk.empty()) {
    WideCharToMultiByte(kGbk, 0, text, count, &gbk[0], static_cast<int>(gbk.size()), nullptr, nullptr);
  }
  gbk.resize(GbkPrefixLength(gbk.data(), gbk.size(), limit));
  return gbk;
}

}  // namespace zemvar
