# One interface target carries the language level, warnings and sanitizer switches,
# so no target touches the global flags.
add_library(kestrove_options INTERFACE)
target_compile_features(kestrove_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(kestrove_options INTERFACE
  -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor)
# GCC 12 at -O3 reports overlapping copies inside libstdc++'s string concatenation
# ("p" + std::to_string(n)) that cannot happen (GCC bug 105651, fixed in 13).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kestrove_options INTERFACE -Wno-restrict)
endif()

if(KESTROVE_SANITIZE)
  target_compile_options(kestrove_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kestrove_options INTERFACE -fsanitize=address,undefined)
endif()

if(KESTROVE_FUZZ)
  # Coverage for libFuzzer in every library; the harnesses add libFuzzer itself (fuzz/).
  target_compile_options(kestrove_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(kestrove_options INTERFACE -fsanitize=address,undefined)
endif()

# Adds one GoogleTest executable and registers its cases with CTest.
#   kestrove_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [LOCKS ...] [ENV ...] [PREFIX p]
#                     [QT] [ROOT])
# LOCKS names resources that tests must not share at the same time (ctest RESOURCE_LOCK).
# ENV adds "NAME=value" entries to the tests' environment; PREFIX goes before every test name,
# for sources built into more than one test program.
function(kestrove_add_test)
  cmake_parse_arguments(T "QT;ROOT" "NAME;PREFIX" "SOURCES;LIBS;LABELS;LOCKS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE kestrove_options kestrove_testsupport ${T_LIBS}
                        GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # A fixed zone without daylight saving keeps local-time tests exact.
  set(env "KESTROVE_BIN_DIR=${CMAKE_BINARY_DIR}/bin" "KESTROVE_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "TZ=JST-9")
  if(NOT WIN32)
    # No test talks to the user's session bus (the notification tests start a bus of their
    # own): without one libdbus would fork dbus-launch from Qt's D-Bus thread, and a child forked
    # there can hang on a lock another thread held (seen under AddressSanitizer).
    list(APPEND env "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/kestrove-test-bus")
  endif()
  if(T_QT AND WIN32)
    # The real platform plugin (the static Windows Qt has no other), on the run's own display.
    list(APPEND env "QT_QPA_PLATFORM=windows")
  elseif(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  list(APPEND env ${T_ENV})
  set(labels ${T_LABELS})
  if(T_ROOT)
    list(APPEND labels root)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${T_PREFIX}")
  # gtest_discover_tests flattens list-valued PROPERTIES (only the first variable reached the
  # tests), so a script of our own sets the lists on the discovered tests.
  set(props "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake")
  file(WRITE "${props}"
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES\n"
    "    ENVIRONMENT [==[${env}]==] LABELS [==[${labels}]==])\n")
  if(T_LOCKS)
    file(APPEND "${props}"
      "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES RESOURCE_LOCK [==[${T_LOCKS}]==])\n")
  endif()
  file(APPEND "${props}" "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${props}")
endfunction()
