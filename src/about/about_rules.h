// The About box's small rules, kept apart from the window code.
#pragma once

#include "about/about_email.h"

namespace zemvar {

inline constexpr char kAuthorMailto[] = "mailto:" ZEMVAR_AUTHOR_EMAIL;

// The host's system menu carries the About entry as id 16; Windows keeps the low four bits of a
// system command for itself, so 16 to 31 all mean About.
constexpr bool IsAboutSystemCommand(unsigned id) { return (id & 0xFFF0u) == 0x0010u; }

}  // namespace zemvar
