# Platform code lives in linux/ and windows/ subfolders; this picks the folder.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(KESTROVE_PLATFORM_DIR linux)
  set(KESTROVE_AUTOSTART_SOURCE XdgAutostart.cpp)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(KESTROVE_PLATFORM_DIR windows)
  set(KESTROVE_AUTOSTART_SOURCE RunKeyAutostart.cpp)
  # Resources (the application manifest) through the toolchain's windres.
  enable_language(RC)
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

# The Windows resources of a program we ship, and nothing elsewhere: the application manifest
# as resource 1 of type RT_MANIFEST (24), the one the loader reads; a version resource; and, for a
# program with windows, its icon, made at build time from the SVG drawing `ICON`.
#   kestrove_program_resources(target DESCRIPTION text [ICON drawing.svg])
function(kestrove_program_resources target)
  cmake_parse_arguments(R "" "DESCRIPTION;ICON" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  set(manifest ${PROJECT_SOURCE_DIR}/cmake/windows/program.manifest)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc)
  set(depends ${manifest})
  set(icon_resource "")
  if(R_ICON)
    set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
    kestrove_make_ico(${R_ICON} ${ico})
    set(icon_resource "1 ICON \"${ico}\"")
    list(APPEND depends ${ico})
    target_sources(${target} PRIVATE ${ico})
  endif()
  set(description "${R_DESCRIPTION}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres reads the manifest and the icon itself: a change to them must rebuild the resource.
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()

# An icon file with the sizes Windows shows (16 to 48 pixels, and 256 for large views) drawn from
# an SVG drawing.
function(kestrove_make_ico drawing ico)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(ICOTOOL icotool REQUIRED)
  get_filename_component(name ${ico} NAME_WE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name}-icon)
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir})
  set(pngs)
  foreach(size 16 20 24 32 40 48 64)
    list(APPEND commands COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/${size}.png ${drawing})
    list(APPEND pngs ${dir}/${size}.png)
  endforeach()
  list(APPEND commands COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${dir}/256.png ${drawing})
  # The large picture as PNG inside the icon (-r), as Windows itself stores it.
  add_custom_command(OUTPUT ${ico} ${commands}
    COMMAND ${ICOTOOL} -c -o ${ico} ${pngs} -r ${dir}/256.png
    DEPENDS ${drawing} VERBATIM)
endfunction()

# Qt's own texts in Japanese (the standard buttons, the text fields' menus) inside the program
# where Qt is built into it: a Windows computer has no copy of them to load.
function(kestrove_embed_qt_translations target)
  if(NOT WIN32)
    return()
  endif()
  find_file(KESTROVE_QTBASE_JA qtbase_ja.qm PATHS ${KESTROVE_WINDOWS_QT}/translations
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${target}-qt-translations.qrc)
  file(CONFIGURE OUTPUT ${qrc} CONTENT [=[<RCC>
  <qresource prefix="/qt-translations">
    <file alias="qtbase_ja.qm">@KESTROVE_QTBASE_JA@</file>
  </qresource>
</RCC>
]=] @ONLY)
  target_sources(${target} PRIVATE ${qrc})
endfunction()

# The pictures of `target`, in a Qt resource file named `qrc` made at build time. Where Qt draws
# SVG the drawings are used as they are ("<prefix>/<name>.svg"); the static Windows build has no
# SVG module, so pictures are rendered from the same drawings at build time instead, a few
# heights each, under "<prefix>/<name>/<height>.png" (ResourceIcon picks whichever the program
# holds).
#   kestrove_drawings(target name.qrc PREFIX /kestrove DRAWINGS a.svg b.svg ...)
function(kestrove_drawings target qrc)
  cmake_parse_arguments(D "" "PREFIX" "DRAWINGS" ${ARGN})
  get_filename_component(qrc_name ${qrc} NAME)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/drawings)
  set(entries "")
  set(pngs)
  if(WIN32)
    find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  endif()
  foreach(drawing ${D_DRAWINGS})
    get_filename_component(name ${drawing} NAME_WE)
    get_filename_component(drawing ${drawing} ABSOLUTE)
    if(NOT WIN32)
      string(APPEND entries "    <file alias=\"${name}.svg\">${drawing}</file>\n")
      continue()
    endif()
    foreach(height 16 20 24 32 40 48 64)
      set(png ${dir}/${name}/${height}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${name}
        COMMAND ${RSVG_CONVERT} -h ${height} -o ${png} ${drawing}
        DEPENDS ${drawing} VERBATIM)
      list(APPEND pngs ${png})
      string(APPEND entries "    <file alias=\"${name}/${height}.png\">${png}</file>\n")
    endforeach()
  endforeach()
  if(pngs)
    add_custom_target(${target}_drawings DEPENDS ${pngs})
    # Qt's resource compiler runs before the target and must find the pictures made.
    add_dependencies(${target} ${target}_drawings)
  endif()
  set(out ${dir}/${qrc_name})
  file(CONFIGURE OUTPUT ${out} CONTENT
       "<RCC>\n  <qresource prefix=\"${D_PREFIX}\">\n${entries}  </qresource>\n</RCC>\n")
  target_sources(${target} PRIVATE ${out})
endfunction()
