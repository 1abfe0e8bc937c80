# Platform code lives in linux/ and windows/ subfolders; this picks the folder.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(KESTROVE_PLATFORM_DIR linux)
  set(KESTROVE_AUTOSTART_SOURCE XdgAutostart.cpp)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(KESTROVE_PLATFORM_DIR windows)
  set(KESTROVE_AUTOSTART_SOURCE RunKeyAutostart.cpp)
  # Resources (the application manifest) through the toolchain's windres.
  enable_language(RC)
  if(KESTROVE_BUILD_UI)
    message(FATAL_ERROR "The Windows build has no Qt yet: configure with -DKESTROVE_BUILD_UI=OFF")
  endif()
  # Wide (UTF-16) Windows functions throughout; nothing depends on the ANSI code page.
  target_compile_definitions(kestrove_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                             NOMINMAX _WIN32_WINNT=0x0601)
else()
  message(FATAL_ERROR "Kestrove has no backend for ${CMAKE_SYSTEM_NAME} yet")
endif()

# libzip: pkg-config on Linux; the static Windows build installs CMake package files.
function(kestrove_find_libzip)
  if(WIN32)
    find_package(ZLIB REQUIRED)  # its package file names ZLIB::ZLIB but does not look for it
    find_package(libzip REQUIRED CONFIG)
    set(KESTROVE_LIBZIP libzip::zip PARENT_SCOPE)
  else()
    pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
    set(KESTROVE_LIBZIP PkgConfig::LIBZIP PARENT_SCOPE)
  endif()
endfunction()

# Embeds the application manifest (cmake/windows/program.manifest) into a Windows program as
# resource 1 of type RT_MANIFEST (24), the one the loader reads; nothing elsewhere. Every program
# we ship calls it.
function(kestrove_program_manifest target)
  if(NOT WIN32)
    return()
  endif()
  set(manifest ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest)
  set(rc ${CMAKE_BINARY_DIR}/program-manifest.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "1 24 \"@manifest@\"\n" @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres reads the manifest itself: a change to it must rebuild the resource.
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${manifest})
endfunction()
