# 64-bit Windows (x86-64) with Debian's mingw-w64; see mingw-w64.cmake.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(SKERROW_MINGW_TRIPLE x86_64-w64-mingw32)
set(SKERROW_MINGW_ARCH_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
