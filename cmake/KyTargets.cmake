# Helpers so that a subsystem folder only lists its files.

# ky_library(NAME PORTABLE files... WIN32 files... DEPS libs...)
# The portable files also build natively; the WIN32 files only for the target.
function(ky_library name)
  cmake_parse_arguments(A "" "" "PORTABLE;WIN32;DEPS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(NOT KY_NATIVE)
    list(APPEND srcs ${A_WIN32})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

# ky_test(NAME files... LIBS libs...): one GoogleTest executable, one CTest
# test; CTest runs it through Wine when cross-compiling.
function(ky_test name)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  add_executable(${name} ${A_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KY_TOOLS_DIR=${CMAKE_BINARY_DIR}/tools;KY_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 900)
endfunction()
