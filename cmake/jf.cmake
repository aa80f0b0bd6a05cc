# jf_library(<name> [DEPS <targets>...] [TEST_DEPS <targets>...])
# Builds every *.cc of the current folder except *_test.cc into a static library, and every *_test.cc into one
# test program registered with CTest. New files are picked up without editing this folder's CMakeLists.txt.
function(jf_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;TEST_DEPS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  set(sources ${all_sources})
  list(FILTER sources EXCLUDE REGEX "_test\\.cc$")
  list(FILTER sources EXCLUDE REGEX "_win32\\.cc$")
  set(tests ${all_sources})
  list(FILTER tests INCLUDE REGEX "_test\\.cc$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  if(tests)
    add_executable(${name}_test ${tests})
    target_link_libraries(${name}_test PRIVATE ${name} ${ARG_TEST_DEPS} testing GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name}_test WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      PROPERTIES ENVIRONMENT "JF_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
      ENVIRONMENT_MODIFICATION "JF_SOURCE_DIR=set:${CMAKE_SOURCE_DIR}"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# jf_tool(<name> DEPS <targets>...)
# Builds the program <name> from the folder's non-test sources; *_test.cc files become its end-to-end tests.
function(jf_tool name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  set(sources ${all_sources})
  list(FILTER sources EXCLUDE REGEX "_test\\.cc$")
  set(tests ${all_sources})
  list(FILTER tests INCLUDE REGEX "_test\\.cc$")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(tests)
    add_executable(${name}_test ${tests})
    target_link_libraries(${name}_test PRIVATE ${ARG_DEPS} testing GTest::gtest GTest::gtest_main)
    add_dependencies(${name}_test ${name})
    gtest_discover_tests(${name}_test WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      PROPERTIES ENVIRONMENT "JF_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
      ENVIRONMENT_MODIFICATION "JF_SOURCE_DIR=set:${CMAKE_SOURCE_DIR}"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
