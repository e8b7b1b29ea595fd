// The window system as the dialer rules see it: the handful of calls they make, behind one interface,
// so that the rules run against real windows on Windows and against an in-memory desktop in tests.
#pragma once

#include <cstdint>

namespace zemvar {

// A window handle as it crosses into the portable rules; 0 is none.
using WindowId = std::uintptr_t;

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct Point {
  std::int32_t x = 0, y = 0;
};

// The window system's own message numbers, for the messages the rules post.
constexpr std::uint32_t kMsgCommand = 0x0111;
constexpr std::uint32_t kMsgLButtonDown = 0x0201;
constexpr std::uint32_t kMsgLButtonUp = 0x0202;
constexpr std::uint32_t kMsgRButtonDown = 0x0204;

// Text reads give the platform a size of 255 with the terminator, so at most 254 characters come back.
constexpr int kWindowTextBuffer = 256;
constexpr int kWindowTextLimit = 255;

// What became of a posted message. A window of a program with more rights than ours (a dialer run as
// administrator) refuses it: the system drops it and says so with "access denied".
enum class PostResult { Posted, Refused, Failed };

class Desktop {
 public:
  // Called once per window; returning false stops the enumeration.
  using Visitor = bool (*)(WindowId window, void* context);

  virtual ~Desktop() = default;

  // Top-level windows in Z-order from the top (EnumWindows).
  virtual void EnumTopLevel(Visitor visit, void* context) = 0;
  // All descendants of `parent`, depth first (EnumChildWindows).
  virtual void EnumDescendants(WindowId parent, Visitor visit, void* context) = 0;
  // Like GetClassNameA / GetWindowTextA: copy at most size-1 bytes and a terminator, return the count copied.
  virtual int ClassName(WindowId window, char* buffer, int size) = 0;
  virtual int Text(WindowId window, char* buffer, int size) = 0;
  // As GetParent reports it: a child's parent, a pop-up's owner, otherwise 0.
  virtual WindowId Parent(WindowId window) = 0;
  // Screen coordinates.
  virtual bool WindowRect(WindowId window, Rect* rect) = 0;
  virtual bool ScreenToClient(WindowId window, Point* point) = 0;
  virtual bool IsWindow(WindowId window) = 0;
  virtual bool IsVisible(WindowId window) = 0;
  virtual PostResult Post(WindowId window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // As IsHungAppWindow: the window's thread has taken no message for 5 s.
  virtual bool IsHung(WindowId window) = 0;
  // The process that owns the window; 0 once it has gone.
  virtual std::uint32_t ProcessOf(WindowId window) = 0;
};

// Pauses of the check, so that tests take no real time over them.
class Pauses {
 public:
  virtual ~Pauses() = default;
  virtual void Pause(std::uint32_t milliseconds) = 0;
  // A monotonic millisecond count that the pauses move on.
  virtual std::uint64_t NowMs() = 0;
};

}  // namespace zemvar
