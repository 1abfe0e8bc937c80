# Stages the program folder and makes the zip and the installer from it (target windows_package).
cmake_minimum_required(VERSION 3.25)
set(stage ${OUT}/Kestrove)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${stage}/help ${stage}/licenses)

# The three programs without their debugging information.
foreach(program ${PROGRAMS})
  get_filename_component(name ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${stage}/${name} ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# The help pages, also readable in a browser (the monitor shows its own copy).
file(GLOB pages ${SOURCE}/monitor/ui/help/*.html)
file(COPY ${pages} DESTINATION ${stage}/help)
# The licences of what the programs contain, one folder per component.
foreach(dir ${LICENSES})
  file(GLOB parts LIST_DIRECTORIES true ${dir}/*)
  file(COPY ${parts} DESTINATION ${stage}/licenses)
endforeach()
file(WRITE ${stage}/licenses/README.txt
  "The programs contain these components; each folder holds its licence and notices.\r\n"
  "  qt6-base     Qt 6 (Core, Gui, Widgets), LGPL-3.0 (LGPL-3.0-only.txt)\r\n"
  "  curl         libcurl\r\n"
  "  libzip       libzip\r\n"
  "  zlib         zlib\r\n"
  "  mingw-w64    the MinGW-w64 runtime\r\n"
  "  gcc-runtime  the GCC runtime libraries (GCC Runtime Library Exception)\r\n")

# The zip: one folder, runnable where it is unpacked.
file(GLOB_RECURSE staged RELATIVE ${OUT} ${stage}/*)
list(SORT staged)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf Kestrove-${VERSION}-windows.zip --format=zip
                        --mtime=2026-12-08 ${staged}
                WORKING_DIRECTORY ${OUT} COMMAND_ERROR_IS_FATAL ANY)

# The installer removes exactly what it put there, files first and then their folders.
set(list "")
set(folders "")
set(size 0)
file(GLOB_RECURSE files RELATIVE ${stage} ${stage}/*)
foreach(file ${files})
  file(SIZE ${stage}/${file} bytes)
  math(EXPR size "${size} + ${bytes}")
  string(REPLACE "/" "\\" windows ${file})
  string(APPEND list "  Delete \"$INSTDIR\\${windows}\"\n")
  get_filename_component(folder ${file} DIRECTORY)
  while(folder)
    list(APPEND folders ${folder})
    get_filename_component(folder ${folder} DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder ${folders})
  string(REPLACE "/" "\\" windows ${folder})
  string(APPEND list "  RMDir \"$INSTDIR\\${windows}\"\n")
endforeach()
file(WRITE ${OUT}/uninstall-list.nsh "${list}")
math(EXPR size_kb "${size} / 1024")

execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSTAGE=${stage} -DSIZE_KB=${size_kb}
                        -DUNINSTALL_LIST=${OUT}/uninstall-list.nsh -DICON=${ICON}
                        -DOUTFILE=${OUT}/Kestrove-${VERSION}-setup.exe
                        ${CMAKE_CURRENT_LIST_DIR}/kestrove.nsi
                COMMAND_ERROR_IS_FATAL ANY)
