// An in-memory window system for the core tests: top-level windows in Z-order, children depth first,
// owners as GetParent reports them for pop-ups, rectangles in screen coordinates, and a record of posts.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialer/check_cycle.h"
#include "dialer/desktop.h"

namespace zemvar::testing {

struct Posted {
  WindowId window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class FakeDesktop : public Desktop {
 public:
  struct Window {
    std::string className;
    std::string text;
    WindowId parent = 0;  // a child's parent window
    WindowId owner = 0;   // a top-level window's owner
    bool popup = true;    // GetParent reports the owner only for pop-ups
    Rect rect;            // screen coordinates
    Point clientOrigin;   // screen position of the client area's (0, 0)
    bool visible = true;
    bool hung = false;  // its thread takes no messages
    std::uint32_t process = 4242;
    std::vector<WindowId> children;
  };

  // A top-level window at the top of the Z-order (or the bottom); its client area starts at (x, y).
  WindowId AddTopLevel(const std::string& className, const std::string& text, int x, int y, int width,
                       int height, WindowId owner = 0, bool atBottom = true);
  // A child at (x, y) in its parent's client coordinates; its client area is its window area.
  WindowId AddChild(WindowId parent, const std::string& className, const std::string& text, int x, int y,
                    int width, int height);
  // A "#32770" message box at screen (x, y) holding a "Static" with the message (when given) and a
  // "Button" centred on client point (buttonX, buttonY) (none when both are 0).
  struct Box {
    WindowId box = 0, message = 0, button = 0;
  };
  Box AddMessageBox(const std::string& title, const std::string& message, WindowId owner, int buttonX, int buttonY,
                    int x = 340, int y = 260);
  void Destroy(WindowId window);
  Window& Get(WindowId window) { return windows_.at(window); }

  std::vector<Posted> posts;
  int topLevelSearches = 0;  // EnumTopLevel calls
  int classReadFailures = 0;  // the next N class reads fail
  bool refusePosts = false;  // as a dialer run as administrator: every post refused, none arrives

  void EnumTopLevel(Visitor visit, void* context) override;
  void EnumDescendants(WindowId parent, Visitor visit, void* context) override;
  int ClassName(WindowId window, char* buffer, int size) override;
  int Text(WindowId window, char* buffer, int size) override;
  WindowId Parent(WindowId window) override;
  bool WindowRect(WindowId window, Rect* rect) override;
  bool ScreenToClient(WindowId window, Point* point) override;
  bool IsWindow(WindowId window) override;
  bool IsVisible(WindowId window) override;
  PostResult Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool IsHung(WindowId window) override;
  std::uint32_t ProcessOf(WindowId window) override;
  // Runs after each hung test, with the window tested.
  std::function<void(WindowId)> onHungTest;

  // Clicks (a button-down then button-up pair) posted to a window.
  int ClicksOn(WindowId window) const;
  bool CommandPosted(WindowId window, std::uintptr_t command) const;

 private:
  bool Walk(WindowId parent, Visitor visit, void* context);
  static int Copy(const std::string& from, char* buffer, int size);

  std::map<WindowId, Window> windows_;
  std::vector<WindowId> zOrder_;
  WindowId next_ = 0x1000;
};

// Pauses that take no time; a hook may change the desktop as the pauses pass.
class FakePauses : public Pauses {
 public:
  void Pause(std::uint32_t milliseconds) override;
  std::uint64_t NowMs() override { return total; }
  std::vector<std::uint32_t> taken;
  std::uint64_t total = 0;
  // Runs after each pause with the number of pauses so far.
  std::function<void(std::size_t)> onPause;
};

class FakeNetwork : public Network {
 public:
  bool IsAlive() override {
    ++asked;
    return alive;
  }
  bool alive = true;
  int asked = 0;
};

// The install key as a map of raw values; counts opens and closes.
class FakeInstallRegistry : public InstallRegistry {
 public:
  struct Value {
    std::uint32_t type;
    std::string bytes;  // stored as is, with or without a terminating NUL
  };
  bool Open() override;
  bool Query(const char* name, std::uint32_t* type, char* data, std::uint32_t* size) override;
  void Close() override;

  bool present = true;
  std::map<std::string, Value> values;
  int opens = 0, closes = 0;
  int misuses = 0;  // queries or closes of a key that is not open

  // A REG_SZ stored the usual way, with its terminator.
  void SetString(const std::string& name, const std::string& text) {
    values[name] = {kRegString, text + std::string(1, '\0')};
  }

 private:
  bool open_ = false;
};

class FakeLauncher : public Launcher {
 public:
  std::uint32_t Launch(const char* commandLine) override;
  // As the system's: a window that is no longer the process's ends nothing.
  std::uint32_t End(std::uint32_t processId, WindowId window) override {
    if (onEnd) onEnd();
    if (desktop && (!desktop->IsWindow(window) || desktop->ProcessOf(window) != processId)) return kErrorInvalidWindow;
    ended.push_back(processId);
    return endError;
  }
  std::vector<std::string> launched;
  std::uint32_t result = 33;
  std::function<void()> onLaunch;
  FakeDesktop* desktop = nullptr;
  std::function<void()> onEnd;  // runs first: the dialer may exit just before
  std::vector<std::uint32_t> ended;
  std::uint32_t endError = 0;
};

}  // namespace zemvar::testing
