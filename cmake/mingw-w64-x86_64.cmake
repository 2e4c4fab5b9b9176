# Cross build of the Windows module with the posix-threads mingw-w64
# compiler (std::thread needs winpthreads). The C++ runtime is linked
# statically so the module needs no DLL beside the system's own.
set(PELLORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
