// The searches that the prompt pass and the check share.
#pragma once

#include "dialer/window_search.h"

namespace zemvar {

// A "#32770" box with one of two titles (none: any title) and the given owner (0: any owner) that holds
// a "Static" whose whole text is one of two messages (none: no such requirement).
WindowId FindDialerBox(Desktop& desktop, const char* titleA, const char* titleB, WindowId owner,
                       const char* messageA, const char* messageB);

// A direct child of `parent` with the class, covering the client point.
WindowId FindChildAt(Desktop& desktop, WindowId parent, const char* className, std::int32_t x, std::int32_t y);

// What pressing a button of a box came to: nothing to press, pressed (whatever became of the posts but a
// refusal), or refused.
enum class Press { Missing, Pressed, Refused };

// Click the "Button" child of `box` at (x, y) when both are there.
Press ClickButtonAt(Desktop& desktop, WindowId box, std::int32_t x, std::int32_t y);
// Click a found control.
Press PressControl(Desktop& desktop, WindowId control);

// Fill the dialer criteria: its dialog class, its two titles, and the marker static as the child record.
void SetDialerCriteria(WindowCriteria& criteria, WindowCriteria& marker);

}  // namespace zemvar
