#include "platform/module_path.h"

namespace zemvar {

bool PathBesideModule(const std::string& modulePath, const char* name, std::string* path) {
  if (modulePath.empty() || modulePath.size() >= kMaxPathBuffer) return false;
  std::string result = modulePath.substr(0, modulePath.rfind('\\'));
  result += '\\';
  result += name;
  if (result.size() >= kMaxPathBuffer) return false;
  *path = result;
  return true;
}

}  // namespace zemvar
