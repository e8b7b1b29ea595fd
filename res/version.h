// The release's version, in one place: VERSIONINFO, the About box's title line and the name of the release's
// zip (tools/make-release.sh) all take it from here. Read by the resource compiler, so only macros.
#pragma once

#define ZEMVAR_VERSION_MAJOR 1
#define ZEMVAR_VERSION_MINOR 0

#define ZEMVAR_TEXT_(x) #x
#define ZEMVAR_TEXT(x) ZEMVAR_TEXT_(x)
// "1.0", as the About box and the zip's name show it; Explorer shows the four-part "1.0.0.0".
#define ZEMVAR_VERSION_TEXT ZEMVAR_TEXT(ZEMVAR_VERSION_MAJOR) "." ZEMVAR_TEXT(ZEMVAR_VERSION_MINOR)
#define ZEMVAR_FILE_VERSION_TEXT ZEMVAR_VERSION_TEXT ".0.0"
