# ostrivane_library(<name> DIR <dir> [DEPS <targets>...])
# Builds every .cpp of <dir> into a static library; an empty folder gives an interface target.
function(ostrivane_library name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h ${ARG_DIR}/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# ostrivane_test(<name> DIR <dir> DEPS <targets>...)
# One GoogleTest executable per test folder. A folder with its own main.cpp (Qt application
# tests) links gtest alone, otherwise gtest_main.
function(ostrivane_test name)
  cmake_parse_arguments(ARG "" "DIR;TIMEOUT" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.h)
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(NOT cpp)
    return()
  endif()
  add_executable(${name} ${sources})
  ostrivane_test_flags(${name})
  if(EXISTS ${ARG_DIR}/main.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  # The window's tests precompile the Qt Widgets headers as well; every other test executable
  # gets the flags of the shared test header (cmake/Precompiled.cmake), whatever its layer needs.
  if(ostrivane_ui IN_LIST ARG_DEPS)
    ostrivane_precompile(${name} ui_tests)
  else()
    target_link_libraries(${name} PRIVATE ${OSTRIVANE_TEST_PCH_DEPS})
    ostrivane_precompile(${name} tests)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name})
endfunction()

# Test code is compiled without optimisation and with line tables only: a test file is mostly
# expanded GoogleTest macros, which cost several times a product file to optimise and describe in
# full debug information, while the code under test stays at the build type's level. Failures
# still show file and line in a debugger or a sanitizer's stack.
function(ostrivane_test_flags target)
  target_compile_options(${target} PRIVATE -O0 -g1)
endfunction()
