# The 32-bit Windows module; see mingw-w64-x86_64.cmake.
set(PELLORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
