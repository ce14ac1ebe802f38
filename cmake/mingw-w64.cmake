# Cross-build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads),
# linked statically so the programs need no DLL beside them. The tests run
# under wine, in a wine prefix of the build tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(EXPTYPES_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT EXPTYPES_WINE64)
  find_program(EXPTYPES_WINE64 NAMES wine64 wine)
endif()
if(EXPTYPES_WINE64)
  # No debug noise, and no offer to install Mono or Gecko into the prefix.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      /usr/bin/env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
      WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix ${EXPTYPES_WINE64})
endif()
