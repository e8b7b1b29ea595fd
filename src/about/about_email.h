// The author's address, shown in the About box and opened after "mailto:". Also read by the
// resource compiler, so only a macro may live here.
#pragma once

#define ZEMVAR_AUTHOR_EMAIL "support@zemvar.org"
