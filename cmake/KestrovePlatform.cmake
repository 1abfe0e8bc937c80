# Platform code lives in linux/ (later windows/) subfolders; this picks the folder.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(KESTROVE_PLATFORM_DIR linux)
else()
  message(FATAL_ERROR "Kestrove has no backend for ${CMAKE_SYSTEM_NAME} yet")
endif()
