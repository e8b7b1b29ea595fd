// Files beside the executable: the settings and the event log both live there. Paths are UTF-8 here, so that
// a folder of any letters survives, and Windows gets them as UTF-16; '\\', '.' and ' ' are never part of
// a longer character, so the rules find them as in any 8-bit text.
#pragma once

#include <cstddef>
#include <string>

namespace zemvar {

constexpr std::size_t kMaxPathBuffer = 260;  // MAX_PATH, terminator included

// How many UTF-16 units a UTF-8 text takes: Windows' limits on paths and names are in those.
std::size_t Utf16Length(const std::string& utf8);

// A file of the given name beside the executable. False when the module path is unknown or the result would
// not fit in a MAX_PATH buffer: then there is no such file rather than one somewhere else.
bool PathBesideModule(const std::string& modulePath, const char* name, std::string* path);

}  // namespace zemvar
