# Each subsystem folder under src/ becomes one static library; its sources are
# globbed so that adding a file needs no edit here.
function(emberlode_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# A subsystem that later work fills in: built only once its folder has sources.
function(emberlode_optional_library name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  if(sources)
    emberlode_library(${name} ${folder} ${ARGN})
  endif()
endfunction()

# tests/<folder>/*.cpp become one GoogleTest executable per subsystem.
function(emberlode_tests name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # test_support holds main(): it switches on the loopback-only send guard before any test runs.
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests
                       PROPERTIES ENVIRONMENT "EMBERLODE_GAME_DIR=${PROJECT_SOURCE_DIR}/game")
endfunction()
