// Files beside the executable: the settings and the event log both live there.
#pragma once

#include <cstddef>
#include <string>

namespace zemvar {

constexpr std::size_t kMaxPathBuffer = 260;  // MAX_PATH, terminator included

// A file of the given name beside the executable. False when the module path is unknown or the result would
// not fit in a MAX_PATH buffer: then there is no such file rather than one somewhere else.
bool PathBesideModule(const std::string& modulePath, const char* name, std::string* path);

}  // namespace zemvar
