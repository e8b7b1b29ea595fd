// One window search: a record describing the wanted window, and the matchers that test candidates
// against it while the window system enumerates top-level windows or descendants.
#pragma once

#include "dialer/desktop.h"

namespace zemvar {

struct WindowCriteria {
  const char* titleA = nullptr;  // Chinese variant of the accepted text
  const char* titleB = nullptr;  // English variant
  const char* className = nullptr;
  WindowId parent = 0;  // as GetParent reports it
  std::int32_t pointX = 0;  // in the parent's client coordinates; (0, 0) means no point test
  std::int32_t pointY = 0;
  WindowCriteria* child = nullptr;  // a requirement on the candidate's children
  WindowId found = 0;
};

// A matcher returns true to reject the candidate and go on, false to accept it (writing `found`) and stop.
using Matcher = bool (*)(Desktop& desktop, WindowId candidate, WindowCriteria& criteria);

bool MatchTopLevel(Desktop& desktop, WindowId candidate, WindowCriteria& criteria);
bool MatchTopLevelLackingChild(Desktop& desktop, WindowId candidate, WindowCriteria& criteria);
bool MatchChildByText(Desktop& desktop, WindowId candidate, WindowCriteria& criteria);
bool MatchChildAtPoint(Desktop& desktop, WindowId candidate, WindowCriteria& criteria);

// Run a matcher over all top-level windows, or over all descendants of `parent`; the result is in `found`.
void SearchTopLevel(Desktop& desktop, Matcher matcher, WindowCriteria& criteria);
void SearchDescendants(Desktop& desktop, WindowId parent, Matcher matcher, WindowCriteria& criteria);

// Post a left-button press and release with zero parameters; nothing is waited for. A refused press is
// not followed by its release.
PostResult Click(Desktop& desktop, WindowId window);

// Whole-text equality folding ASCII letters only; both bytes of a GBK character must be equal as they are.
bool EqualsIgnoringAsciiCase(const char* a, const char* b);

}  // namespace zemvar
