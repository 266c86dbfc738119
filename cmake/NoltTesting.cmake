# nolt_add_test(NAME name SOURCES a.cpp ... [LIBS lib ...] [LABELS l ...] [TIMEOUT s])
# One GoogleTest executable. Natively each test case is registered with CTest;
# in a cross build (run under an emulator such as wine) the executable is one
# CTest test, so that discovery does not have to start the emulator at build time.
include(GoogleTest)

# Every test process searches for modules on the machine's own addresses
# only (127.0.0.0/8), whatever range a test gives or a dialog offers. The
# few tests that search inside network namespaces of their own lift it for
# the programs they start there, and say so. A single value, so that it
# passes through gtest_discover_tests' PROPERTIES whole.
set(NOLT_SCAN_LIMIT "NOLT_SCAN_LOOPBACK_ONLY=set:1")

# nolt_limit_scans(test ...): the limit for tests added with a plain add_test.
function(nolt_limit_scans)
  foreach(_test IN LISTS ARGN)
    set_property(TEST ${_test} APPEND PROPERTY ENVIRONMENT_MODIFICATION ${NOLT_SCAN_LIMIT})
  endforeach()
endfunction()

if(CMAKE_CROSSCOMPILING)
  if(NOT TARGET GTest::gtest_main)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Recent GoogleTest releases define these aliases themselves.
    foreach(_lib gtest gtest_main gmock)
      if(NOT TARGET GTest::${_lib})
        add_library(GTest::${_lib} ALIAS ${_lib})
      endif()
    endforeach()
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# What every test program shares: the matching of output lines against
# patterns, built once (see tests/support/patterns.h).
add_library(nolt_test_support STATIC ${PROJECT_SOURCE_DIR}/tests/support/patterns.cpp)
target_include_directories(nolt_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)

function(nolt_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} nolt_test_support GTest::gtest_main GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${T_NAME} PRIVATE -static)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
    nolt_limit_scans(${T_NAME})
  else()
    gtest_discover_tests(${T_NAME}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}"
                 ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                 ENVIRONMENT_MODIFICATION ${NOLT_SCAN_LIMIT})
  endif()
endfunction()
