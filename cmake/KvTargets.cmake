# Helpers that give every target of the tree the same warnings and layout.

set(KV_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
                -Woverloaded-virtual -Wformat=2 -Werror)

# kv_library(NAME [SHARED|STATIC] SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# A library whose public headers are in Includes/ beside its Sources/.
function(kv_library name)
  cmake_parse_arguments(ARG "SHARED;STATIC;MODULE" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  set(kind STATIC)
  if(ARG_SHARED)
    set(kind SHARED)
  elseif(ARG_MODULE)
    set(kind MODULE)
  endif()
  add_library(${name} ${kind} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/Includes)
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# kv_program(NAME SOURCES ... [DEPS ...])
function(kv_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# kv_tests(NAME SOURCES ... [DEPS ...] [LABELS ...])
# One GoogleTest executable per library, registered with CTest test by test so
# that a single case can be run with `ctest -R`.
function(kv_tests name)
  if(NOT KV_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KV_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE KV_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  include(GoogleTest)
  set(props TIMEOUT 300)
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
