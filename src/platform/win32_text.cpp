#include "platform/win32_text.h"

#include <windows.h>

#include "platform/gbk_text.h"

namespace zemvar {
namespace {

constexpr UINT kGbk = 936;

WideText Widen(UINT codePage, const std::string& text) {
  const int length = static_cast<int>(text.size());
  const int count = text.empty() ? 0 : MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  WideText wide(static_cast<std::size_t>(count) + 1, L'\0');
  if (count > 0) MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), count);
  return wide;
}

std::string Narrow(UINT codePage, const wchar_t* text, std::size_t length) {
  if (!text || length == 0) return std::string();
  const int count = static_cast<int>(length);
  std::string narrow(
      static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, text, count, nullptr, 0, nullptr, nullptr)), '\0');
  if (!narrow.empty()) {
    WideCharToMultiByte(codePage, 0, text, count, &narrow[0], static_cast<int>(narrow.size()), nullptr, nullptr);
  }
  return narrow;
}

}  // namespace

WideText WideFromGbk(const std::string& gbk) { return Widen(kGbk, gbk); }

std::string GbkFromWide(const wchar_t* text, std::size_t length, std::size_t limit) {
  std::string gbk = Narrow(kGbk, text, length);
  gbk.resize(GbkPrefixLength(gbk.data(), gbk.size(), limit));
  return gbk;
}

WideText WideFromUtf8(const std::string& utf8) { return Widen(CP_UTF8, utf8); }

std::string Utf8FromWide(const wchar_t* text, std::size_t length) { return Narrow(CP_UTF8, text, length); }

}  // namespace zemvar
