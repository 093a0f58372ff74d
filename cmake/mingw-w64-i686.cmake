# 32-bit Windows (x86) with Debian's mingw-w64; see mingw-w64.cmake.
#
# The 32-bit compiler does float and double arithmetic on the x87 unit by
# default, in extended precision, which gives other results than x86-64. SSE2
# arithmetic gives the same as the 64-bit and Linux builds; every x86 processor
# that runs a supported Windows has it. Callers compiled elsewhere may align
# the stack to 4 bytes only, so functions realign it where SSE needs 16.
set(CMAKE_SYSTEM_PROCESSOR X86)
set(SKERROW_MINGW_TRIPLE i686-w64-mingw32)
set(SKERROW_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
