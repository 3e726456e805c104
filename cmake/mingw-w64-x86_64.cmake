# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with mingw-w64 (posix threads, as Qt needs std::thread);
# test executables run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# The Windows Qt (scripts/windows-qt.sh prints where); from the environment, so that CMake's
# own trial builds see it too.
if(DEFINED ENV{CORVELLE_QT_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{CORVELLE_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# One executable each, without the compiler's runtime libraries beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
