// The About box's small rules, kept apart from the window code.
#pragma once

#include "about/about_email.h"
#include "resource.h"

namespace zemvar {

inline constexpr char kAuthorMailto[] = "mailto:" ZEMVAR_AUTHOR_EMAIL;

// Windows keeps the low four bits of a system command for itself, so the About entry's id 16 comes back
// as any of 16 to 31.
constexpr bool IsAboutSystemCommand(unsigned id) { return (id & 0xFFF0u) == IDM_SYS_ABOUT; }

}  // namespace zemvar
