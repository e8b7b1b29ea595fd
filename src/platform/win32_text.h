// Text crossing into Windows: the rules speak GBK, Windows speaks UTF-16, and the conversion names code
// page 936, never the system's own, which is 1252 on a Western Windows and may be 65001 on a Chinese one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zemvar {

// Terminated, for the W functions. Not a std::wstring, whose whole class the static library would add
// to the program.
using WideText = std::vector<wchar_t>;

WideText WideFromGbk(const std::string& gbk);
// At most `limit` bytes, never half a character; a character GBK lacks becomes '?', as the A
// functions make it.
std::string GbkFromWide(const wchar_t* text, std::size_t length, std::size_t limit);

// Paths and the names made from them, which keep every letter.
WideText WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const wchar_t* text, std::size_t length);

}  // namespace zemvar
