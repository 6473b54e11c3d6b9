# Test helpers shared by every subsystem.
#
#   qb_native_test(NAME SOURCES... [LIBS ...])   gtest, native tree only
#   qb_wine_test(NAME SOURCES... [LIBS ...])     gtest, Windows tree, run by
#                                                wine through the emulator
#   qb_gui_test(NAME SOURCES... [LIBS ...])      gtest, Windows tree, run on a
#                                                Wine virtual desktop under Xvfb
#   qb_fuzzer(NAME SOURCE [LIBS ...] [CORPUS dir] [SECONDS n])
#                                                libFuzzer target (clang only);
#                                                a short bounded run is a test
#   qb_locale_tests(NAME...)                     labels Windows tests `locale`
set(QB_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
# gtest_disable_pthreads stays at its default: switched on for mingw it also
# drops the Win32 handles googletest's Windows death-test code needs, and
# that code then does not compile.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QB_GTEST_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)

set(QB_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
set(QB_TESTDATA ${CMAKE_SOURCE_DIR}/tests/data)

# GUI tests run under `wine explorer /desktop=...`, which always exits 0, so
# their main (tests/e2e/gui_main.cpp) also writes the result to the file
# named by QB_RESULT_FILE for scripts/wine-desktop to read.
if(WIN32)
  add_library(qb_gui_main STATIC ${CMAKE_SOURCE_DIR}/tests/e2e/gui_main.cpp)
  target_link_libraries(qb_gui_main PUBLIC gtest)
endif()

# MAIN names the library holding main(); gtest_main unless given.
function(_qb_gtest_exe name)
  cmake_parse_arguments(Q "" "MAIN" "SOURCES;LIBS" ${ARGN})
  if(NOT Q_MAIN)
    set(Q_MAIN gtest_main)
  endif()
  add_executable(${name} ${Q_SOURCES})
  target_link_libraries(${name} PRIVATE ${Q_LIBS} gtest ${Q_MAIN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE QB_TESTDATA="${QB_TESTDATA}")
endfunction()

function(qb_native_test name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
  _qb_gtest_exe(${name} SOURCES ${Q_SOURCES} ${Q_UNPARSED_ARGUMENTS} LIBS ${Q_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS native TIMEOUT 600)
endfunction()

function(qb_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
  _qb_gtest_exe(${name} SOURCES ${Q_SOURCES} ${Q_UNPARSED_ARGUMENTS} LIBS ${Q_LIBS})
  # Windows sees the test data through Wine's Z: drive.
  target_compile_definitions(${name} PRIVATE QB_BINDIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  # Wine has been seen to end a test program that overflowed its stack
  # with exit code 0, half way through: a run passes only when gtest got
  # to its summary, and fails on any failed case.
  set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT 600
                       PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
                       FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()

function(qb_gui_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
  _qb_gtest_exe(${name} SOURCES ${Q_SOURCES} ${Q_UNPARSED_ARGUMENTS} LIBS ${Q_LIBS}
                MAIN qb_gui_main)
  target_compile_definitions(${name} PRIVATE QB_BINDIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-desktop $<TARGET_FILE:${name}>)
  # Each GUI test gets a virtual desktop of its own; they still share one
  # X server and one wineserver, so they run one at a time.
  set_tests_properties(${name} PROPERTIES LABELS gui TIMEOUT 900 RUN_SERIAL TRUE)
endfunction()

# The Windows tests that read what the program shows or names (titles,
# message boxes, resource texts, file names) carry the label `locale`, and
# scripts/test runs them once more under an English locale: a program that
# still leans on the Japanese code page fails there. The heavy end-to-end
# runs and the pure logic stay out, so that the second run stays short. Only
# the folder that added a test may label it.
function(qb_locale_tests)
  if(WIN32)
    set_property(TEST ${ARGN} APPEND PROPERTY LABELS locale)
  endif()
endfunction()

function(qb_fuzzer name source)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  cmake_parse_arguments(Q "" "CORPUS;SECONDS" "LIBS" ${ARGN})
  if(NOT Q_SECONDS)
    set(Q_SECONDS 20)
  endif()
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${Q_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(workdir ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz-run $<TARGET_FILE:${name}>
                   ${Q_SECONDS} ${workdir} ${Q_CORPUS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()
