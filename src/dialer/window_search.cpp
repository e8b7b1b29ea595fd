#include "dialer/window_search.h"

#include <cstring>

namespace zemvar {
namespace {

struct SearchContext {
  Desktop* desktop;
  Matcher matcher;
  WindowCriteria* criteria;
};

bool Visit(WindowId window, void* context) {
  auto* search = static_cast<SearchContext*>(context);
  return search->matcher(*search->desktop, window, *search->criteria);
}

bool ClassPasses(Desktop& desktop, WindowId candidate, const WindowCriteria& criteria) {
  if (!criteria.className) return true;
  char name[kWindowTextBuffer] = {};
  if (desktop.ClassName(candidate, name, kWindowTextLimit) <= 0) return false;
  name[kWindowTextBuffer - 1] = '\0';
  return std::strcmp(name, criteria.className) == 0;
}

bool TitlePasses(Desktop& desktop, WindowId candidate, const WindowCriteria& criteria) {
  if (!criteria.titleA && !criteria.titleB) return true;
  char text[kWindowTextBuffer] = {};
  if (desktop.Text(candidate, text, kWindowTextLimit) <= 0) return false;
  text[kWindowTextBuffer - 1] = '\0';
  return (criteria.titleA && EqualsIgnoringAsciiCase(text, criteria.titleA)) ||
         (criteria.titleB && EqualsIgnoringAsciiCase(text, criteria.titleB));
}

bool ParentPasses(Desktop& desktop, WindowId candidate, const WindowCriteria& criteria) {
  return desktop.Parent(candidate) == criteria.parent;
}

// The candidate's rectangle, moved into the parent's client coordinates, must hold the point;
// left and top edges are inside, right and bottom outside.
bool PointPasses(Desktop& desktop, WindowId candidate, const WindowCriteria& criteria) {
  Rect rect;
  if (!desktop.WindowRect(candidate, &rect)) return false;
  Point corner{rect.left, rect.top};
  if (!desktop.ScreenToClient(criteria.parent, &corner)) return false;
  const std::int64_t right = std::int64_t{corner.x} + (std::int64_t{rect.right} - rect.left);
  const std::int64_t bottom = std::int64_t{corner.y} + (std::int64_t{rect.bottom} - rect.top);
  return criteria.pointX >= corner.x && criteria.pointX < right && criteria.pointY >= corner.y &&
         criteria.pointY < bottom;
}

bool Accept(WindowId candidate, WindowCriteria& criteria) {
  criteria.found = candidate;
  return false;
}

// Runs the child record's search under the candidate; true when it found a window.
bool ChildFound(Desktop& desktop, WindowId candidate, WindowCriteria& child, Matcher matcher) {
  child.parent = candidate;
  child.found = 0;
  SearchDescendants(desktop, candidate, matcher, child);
  return child.found != 0;
}

bool TopLevelPasses(Desktop& desktop, WindowId candidate, const WindowCriteria& criteria) {
  return candidate && ClassPasses(desktop, candidate, criteria) && TitlePasses(desktop, candidate, criteria) &&
         (!criteria.parent || ParentPasses(desktop, candidate, criteria));
}

}  // namespace

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x >= 0x81 && x <= 0xFE) {
      // A GBK lead byte: its trail byte may look like an ASCII letter but must not be folded.
      if (x != y || a[1] != b[1]) return false;
      if (a[1] == '\0') return true;
      ++a, ++b;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
    if (x == 0) return true;
  }
}

bool MatchTopLevel(Desktop& desktop, WindowId candidate, WindowCriteria& criteria) {
  if (!TopLevelPasses(desktop, candidate, criteria)) return true;
  if (WindowCriteria* child = criteria.child) {
    const bool byPoint = child->pointX != 0 || child->pointY != 0;
    if (!ChildFound(desktop, candidate, *child, byPoint ? MatchChildAtPoint : MatchChildByText)) return true;
  }
  return Accept(candidate, criteria);
}

bool MatchTopLevelLackingChild(Desktop& desktop, WindowId candidate, WindowCriteria& criteria) {
  if (!TopLevelPasses(desktop, candidate, criteria)) return true;
  if (WindowCriteria* child = criteria.child) {
    if (ChildFound(desktop, candidate, *child, MatchChildAtPoint)) return true;
  }
  return Accept(candidate, criteria);
}

bool MatchChildByText(Desktop& desktop, WindowId candidate, WindowCriteria& criteria) {
  if (!candidate) return true;
  if (criteria.parent && !ParentPasses(desktop, candidate, criteria)) return true;
  if (!ClassPasses(desktop, candidate, criteria) || !TitlePasses(desktop, candidate, criteria)) return true;
  return Accept(candidate, criteria);
}

bool MatchChildAtPoint(Desktop& desktop, WindowId candidate, WindowCriteria& criteria) {
  if (!candidate || !criteria.parent) return true;
  if (!ParentPasses(desktop, candidate, criteria) || !ClassPasses(desktop, candidate, criteria) ||
      !PointPasses(desktop, candidate, criteria)) {
    return true;
  }
  return Accept(candidate, criteria);
}

void SearchTopLevel(Desktop& desktop, Matcher matcher, WindowCriteria& criteria) {
  SearchContext context{&desktop, matcher, &criteria};
  desktop.EnumTopLevel(Visit, &context);
}

void SearchDescendants(Desktop& desktop, WindowId parent, Matcher matcher, WindowCriteria& criteria) {
  SearchContext context{&desktop, matcher, &criteria};
  desktop.EnumDescendants(parent, Visit, &context);
}

PostResult Click(Desktop& desktop, WindowId window) {
  const PostResult down = desktop.Post(window, kMsgLButtonDown, 0, 0);
  if (down == PostResult::Refused) return down;
  return desktop.Post(window, kMsgLButtonUp, 0, 0);
}

}  // namespace zemvar
