# 64-bit Windows, from the same sources: for testing under Wine on machines whose kernel refuses
# 32-bit Linux programs (and so 32-bit Wine). The product itself is always built 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEMVAR_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
