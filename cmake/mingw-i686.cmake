# 32-bit Windows, the product's own target: MinGW-w64 with posix threads, static runtime.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZEMVAR_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
