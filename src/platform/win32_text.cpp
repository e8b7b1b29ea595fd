#include "platform/win32_text.h"

#include <windows.h>

#include "platform/gbk_text.h"

namespace zemvar {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

std::wstring WideFromGbk(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  const int length = static_cast<int>(gbk.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(kGbk, 0, gbk.data(), length, nullptr, 0)), L'\0');
  if (!wide.empty()) MultiByteToWideChar(kGbk, 0, gbk.data(), length, &wide[0], static_cast<int>(wide.size()));
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
