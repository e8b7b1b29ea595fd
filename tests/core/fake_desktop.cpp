#include "fake_desktop.h"

#include <algorithm>
#include <cstring>

namespace zemvar::testing {

WindowId FakeDesktop::AddTopLevel(const std::string& className, const std::string& text, int x, int y, int width,
                                  int height, WindowId owner, bool atBottom) {
  const WindowId id = next_ += 0x10;
  Window& w = windows_[id];
  w.className = className;
  w.text = text;
  w.owner = owner;
  // A caption and a border sit before the client area, as on a real dialog.
  w.rect = {x - 3, y - 22, x + width + 3, y + height + 3};
  w.clientOrigin = {x, y};
  if (atBottom) {
    zOrder_.push_back(id);
  } else {
    zOrder_.insert(zOrder_.begin(), id);
  }
  return id;
}

WindowId FakeDesktop::AddChild(WindowId parent, const std::string& className, const std::string& text, int x, int y,
                               int width, int height) {
  const WindowId id = next_ += 0x10;
  const Point origin = windows_.at(parent).clientOrigin;
  Window& w = windows_[id];
  w.className = className;
  w.text = text;
  w.parent = parent;
  w.rect = {origin.x + x, origin.y + y, origin.x + x + width, origin.y + y + height};
  w.clientOrigin = {w.rect.left, w.rect.top};
  windows_.at(parent).children.push_back(id);
  return id;
}

FakeDesktop::Box FakeDesktop::AddMessageBox(const std::string& title, const std::string& message, WindowId owner,
                                             int buttonX, int buttonY, int x, int y) {
  Box b;
  b.box = AddTopLevel("#32770", title, x, y, 320, 140, owner);
  if (!message.empty()) b.message = AddChild(b.box, "Static", message, 16, 14, 288, 24);
  if (buttonX || buttonY) b.button = AddChild(b.box, "Button", "OK", buttonX - 37, buttonY - 11, 75, 23);
  return b;
}

void FakeDesktop::Destroy(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  for (WindowId child : std::vector<WindowId>(it->second.children)) Destroy(child);
  if (WindowId parent = it->second.parent) {
    auto& siblings = windows_.at(parent).children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  }
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), window), zOrder_.end());
  windows_.erase(window);
}

void FakeDesktop::EnumTopLevel(Visitor visit, void* context) {
  ++topLevelSearches;
  for (WindowId id : std::vector<WindowId>(zOrder_)) {
    if (!visit(id, context)) return;
  }
}

bool FakeDesktop::Walk(WindowId parent, Visitor visit, void* context) {
  for (WindowId id : std::vector<WindowId>(windows_.at(parent).children)) {
    if (!visit(id, context)) return false;
    if (windows_.count(id) && !Walk(id, visit, context)) return false;
  }
  return true;
}

void FakeDesktop::EnumDescendants(WindowId parent, Visitor visit, void* context) {
  if (windows_.count(parent)) Walk(parent, visit, context);
}

int FakeDesktop::Copy(const std::string& from, char* buffer, int size) {
  if (size <= 0) return 0;
  const int n = std::min<int>(static_cast<int>(from.size()), size - 1);
  std::memcpy(buffer, from.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  return n;
}

int FakeDesktop::ClassName(WindowId window, char* buffer, int size) {
  auto it = windows_.find(window);
  if (it == windows_.end() || classReadFailures > 0) {
    if (classReadFailures > 0) --classReadFailures;
    return 0;
  }
  return Copy(it->second.className, buffer, size);
}

int FakeDesktop::Text(WindowId window, char* buffer, int size) {
  auto it = windows_.find(window);
  if (it == windows_.end()) {
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  return Copy(it->second.text, buffer, size);
}

WindowId FakeDesktop::Parent(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return 0;
  if (it->second.parent) return it->second.parent;
  return it->second.popup ? it->second.owner : 0;
}

bool FakeDesktop::WindowRect(WindowId window, Rect* rect) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return false;
  *rect = it->second.rect;
  return true;
}

bool FakeDesktop::ScreenToClient(WindowId window, Point* point) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return false;
  point->x -= it->second.clientOrigin.x;
  point->y -= it->second.clientOrigin.y;
  return true;
}

bool FakeDesktop::IsWindow(WindowId window) { return windows_.count(window) != 0; }

bool FakeDesktop::IsVisible(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end() || !it->second.visible) return false;
  return !it->second.parent || IsVisible(it->second.parent);
}

PostResult FakeDesktop::Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (refusePosts) return PostResult::Refused;
  posts.push_back({window, message, wParam, lParam});
  return PostResult::Posted;
}

bool FakeDesktop::IsHung(WindowId window) {
  auto it = windows_.find(window);
  const bool hung = it != windows_.end() && it->second.hung;
  if (onHungTest) onHungTest(window);
  return hung;
}

std::uint32_t FakeDesktop::ProcessOf(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.process;
}

int FakeDesktop::ClicksOn(WindowId window) const {
  int clicks = 0;
  for (std::size_t i = 0; i + 1 < posts.size(); ++i) {
    const Posted& down = posts[i];
    const Posted& up = posts[i + 1];
    if (down.window == window && down.message == kMsgLButtonDown && up.window == window &&
        up.message == kMsgLButtonUp && down.wParam == 0 && down.lParam == 0 && up.wParam == 0 && up.lParam == 0) {
      ++clicks;
    }
  }
  return clicks;
}

bool FakeDesktop::CommandPosted(WindowId window, std::uintptr_t command) const {
  return std::any_of(posts.begin(), posts.end(), [&](const Posted& p) {
    return p.window == window && p.message == kMsgCommand && p.wParam == command && p.lParam == 0;
  });
}

void FakePauses::Pause(std::uint32_t milliseconds) {
  taken.push_back(milliseconds);
  total += milliseconds;
  if (onPause) onPause(taken.size());
}

bool FakeInstallRegistry::Open() {
  if (!present) return false;
  if (open_) ++misuses;
  open_ = true;
  ++opens;
  return true;
}

void FakeInstallRegistry::Close() {
  if (!open_) ++misuses;
  open_ = false;
  ++closes;
}

bool FakeInstallRegistry::Query(const char* name, std::uint32_t* type, char* data, std::uint32_t* size) {
  if (!open_) {
    ++misuses;
    return false;
  }
  auto it = values.find(name);
  if (it == values.end()) return false;
  if (it->second.bytes.size() > *size) return false;
  std::memcpy(data, it->second.bytes.data(), it->second.bytes.size());
  *size = static_cast<std::uint32_t>(it->second.bytes.size());
  *type = it->second.type;
  return true;
}

std::uint32_t FakeLauncher::Launch(const char* commandLine) {
  launched.emplace_back(commandLine);
  if (onLaunch) onLaunch();
  return result;
}

}  // namespace zemvar::testing
