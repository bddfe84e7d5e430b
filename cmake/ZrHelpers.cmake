# Warnings and sanitizers for every target of the project.
function(zr_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(ZR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(ZR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# zr_add_library(NAME SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A static library with its public headers under include/; every layer sits on the shared helpers (common).
function(zr_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC common ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  zr_target_defaults(${name})
endfunction()

# zr_add_test(NAME SOURCES ... [LIBS ...] [ENV VAR=VALUE ...] [LABELS ...] [TARGETS target...] [TIMEOUT seconds])
# One GoogleTest program; each of its tests becomes a ctest test carrying the environment and labels given.
# TARGETS (embedded, server, standin) registers every test once per database target: the ctest name gets
# "/<target>", the run gets ZR_TEST_TARGET=<target> and the target's label (firebird, fbserver, standin).
# The program reads the target through tests/support/targets.h.
function(zr_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS;TARGETS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  zr_target_defaults(${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # gtest_discover_tests loses the list separators of a property value on its way to the generated
  # script. So the environment is set by running each test through "cmake -E env" (the launcher that
  # discovery also uses), and the labels travel as one blank-separated label, which ctest -L matches as
  # a regular expression.
  if(ARG_ENV)
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${ARG_ENV}
                                                                  ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  if(NOT ARG_TARGETS)
    set(properties TIMEOUT ${ARG_TIMEOUT})
    if(ARG_LABELS)
      string(REPLACE ";" " " labels "${ARG_LABELS}")
      list(APPEND properties LABELS "${labels}")
    endif()
    if(CMAKE_CROSSCOMPILING)
      # Under an emulator (Wine) each start of a program costs time: the whole program is one ctest test.
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES ${properties})
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
    endif()
    return()
  endif()
  foreach(target IN LISTS ARG_TARGETS)
    if(target STREQUAL "embedded")
      set(target_label firebird)
    elseif(target STREQUAL "server")
      set(target_label fbserver)
    elseif(target STREQUAL "standin")
      set(target_label standin)
    else()
      message(FATAL_ERROR "zr_add_test(${name}): unknown target ${target} (embedded, server, standin)")
    endif()
    set(labels ${ARG_LABELS} ${target_label})
    list(REMOVE_DUPLICATES labels)
    string(REPLACE ";" " " labels "${labels}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_SUFFIX "/${target}"
      PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${labels}" ENVIRONMENT "ZR_TEST_TARGET=${target}")
  endforeach()
endfunction()
