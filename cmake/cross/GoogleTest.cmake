# SPDX-License-Identifier: Apache-2.0
# GoogleTest for the Windows cross build, compiled from the sources that
# Debian's googletest package puts in /usr/src/googletest, with the names
# that find_package(GTest) gives on Linux.
set(QL5_GOOGLETEST_SOURCE /usr/src/googletest)
if(NOT EXISTS ${QL5_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${QL5_GOOGLETEST_SOURCE} is missing: install googletest (scripts/setup)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QL5_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest's own build defines GTest::gtest and GTest::gtest_main already.
foreach(name gtest gtest_main)
  if(NOT TARGET GTest::${name})
    add_library(GTest::${name} ALIAS ${name})
  endif()
endforeach()
