# Cross-compiles for Windows with Debian's mingw-w64 compilers. Included by
# mingw-w64-x86_64.cmake and mingw-w64-i686.cmake, which set
# SKERROW_MINGW_TRIPLE (and, for 32-bit, SKERROW_MINGW_ARCH_FLAGS) first.
#
# The posix thread model of the compilers is used, so that std::thread works;
# its runtime (winpthread), libgcc and libstdc++ are linked in statically, so
# that programs and DLLs need nothing beyond the system DLLs.
#
# Options (cache variables):
#   SKERROW_WINDOWS_DEPS  prefix of the libraries cross-built for the same
#                         target (Box2D, GoogleTest); searched by find_package
#   CMAKE_CROSSCOMPILING_EMULATOR  how tests run; by default wine-run.sh, with
#                         a wine prefix of the build folder's own

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SKERROW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKERROW_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SKERROW_MINGW_TRIPLE}-windres)

# Physics results must equal those of the Linux build bit for bit: the
# baseline instruction set of the target (no -march), and no fused
# multiply-add even where a later -march would allow one.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off ${SKERROW_MINGW_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off ${SKERROW_MINGW_ARCH_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Headers, libraries and packages of the target only; programs of the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SKERROW_MINGW_TRIPLE})
if(SKERROW_WINDOWS_DEPS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${SKERROW_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(SKERROW_WINE NAMES wine)
    if(SKERROW_WINE)
        # A wine prefix per build folder: tests never touch the user's ~/.wine.
        set(CMAKE_CROSSCOMPILING_EMULATOR
            ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
    endif()
endif()
