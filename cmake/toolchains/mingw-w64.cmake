# Cross-builds Kestrove for 64-bit Windows with MinGW-w64 (posix threads: GoogleTest needs
# std::thread) and runs what it built under Wine. Everything is linked statically, so a
# program folder needs no DLLs beside the programs.
#
# The Windows libraries (libcurl, libzip, zlib, GoogleTest) are looked for in
# KESTROVE_WINDOWS_PREFIX and the static Qt in KESTROVE_WINDOWS_QT (cache variables or
# environment), as scripts/windows-deps installs them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTROVE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTROVE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTROVE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTROVE_MINGW_TRIPLE}-windres)

foreach(var KESTROVE_WINDOWS_PREFIX KESTROVE_WINDOWS_QT)
  if(NOT ${var} AND DEFINED ENV{${var}})
    set(${var} "$ENV{${var}}")
  endif()
endforeach()
# try_compile projects read this file again: hand the prefixes on to them.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTROVE_WINDOWS_PREFIX KESTROVE_WINDOWS_QT)

# With the find modes below a prefix only counts when it is a root path, not merely in
# CMAKE_PREFIX_PATH.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTROVE_MINGW_TRIPLE} ${KESTROVE_WINDOWS_PREFIX}
    ${KESTROVE_WINDOWS_QT})
# A cross-built Qt runs the host's moc, rcc and uic, of the same version.
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only: the import library of a DLL would make the programs need it. CMake's
# platform file puts ".dll.a" first after this file is read, so FindZLIB (libzip's and Qt's
# dependency) is told directly; the other libraries come as archives from their package files.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and gtest_discover_tests' listing) run under Wine, started again when Wine ends
# one before it has run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run --test)
