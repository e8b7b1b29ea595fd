#include "platform/module_path.h"

namespace zemvar {

std::size_t Utf16Length(const std::string& utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // continuation bytes add nothing
    if (byte >= 0xF0) ++units;           // beyond the first 65,536: a surrogate pair
  }
  return units;
}

bool PathBesideModule(const std::string& modulePath, const char* name, std::string* path) {
  if (modulePath.empty() || Utf16Length(modulePath) >= kMaxPathBuffer) return false;
  std::string result = modulePath.substr(0, modulePath.rfind('\\'));
  result += '\\';
  result += name;
  if (Utf16Length(result) >= kMaxPathBuffer) return false;
  *path = result;
  return true;
}

}  // namespace zemvar
