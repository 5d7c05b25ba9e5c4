# The helpers that make every library and test executable. Each target compiles in unity batches
# (CMAKE_UNITY_BUILD, set in the top file) over one of two precompiled headers built once for the
# whole build, so a new library or test executable gets both by being made here.

# The standard headers nearly every source includes; the tests add GoogleTest.
set(EMBERLODE_STD_HEADERS <algorithm> <array> <cstdint> <cstdio> <cstring> <functional> <map>
    <memory> <mutex> <string> <string_view> <unordered_map> <vector>)
option(EMBERLODE_PCH "Precompile the standard and GoogleTest headers" ON)

# A target that only builds a precompiled header for the others to reuse.
function(emberlode_pch_target name)
  cmake_parse_arguments(ARG "" "" "HEADERS;DEPS" ${ARGN})
  set(anchor ${PROJECT_BINARY_DIR}/pch/${name}.cpp)
  file(CONFIGURE OUTPUT ${anchor} CONTENT "// ${name} -- the anchor of a precompiled header.\n")
  add_library(${name} OBJECT ${anchor})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

if(EMBERLODE_PCH)
  emberlode_pch_target(emberlode_std_pch HEADERS ${EMBERLODE_STD_HEADERS})
endif()

function(emberlode_use_pch target pch)
  if(EMBERLODE_PCH)
    target_precompile_headers(${target} REUSE_FROM ${pch})
  endif()
endfunction()

# Each subsystem folder under src/ becomes one static library; its sources are
# globbed so that adding a file needs no edit here.
function(emberlode_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  emberlode_use_pch(${name} emberlode_std_pch)
endfunction()

# A subsystem that later work fills in: built only once its folder has sources.
function(emberlode_optional_library name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  if(sources)
    emberlode_library(${name} ${folder} ${ARGN})
  endif()
endfunction()

# tests/<folder>/*.cpp become one GoogleTest executable per subsystem. Tests that need the
# shipped game read the staged game folder the build makes (EMBERLODE_GAME_DIR).
# FILTER leaves tests out of the list (a GoogleTest filter), for those registered apart.
function(emberlode_tests name folder)
  cmake_parse_arguments(ARG "" "FILTER" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # test_support holds main(): it switches on the loopback-only send guard before any test runs.
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gmock)
  emberlode_use_pch(${name} emberlode_test_pch)
  add_dependencies(${name} emberlode_content)
  set(filter)
  if(ARG_FILTER)
    set(filter TEST_FILTER ${ARG_FILTER})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST ${filter}
                       WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests
                       PROPERTIES ENVIRONMENT "EMBERLODE_GAME_DIR=${EMBERLODE_GAME_DIR}")
endfunction()
