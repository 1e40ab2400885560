# GoogleTest for the tests: the build machine's package, or, for a cross build (whose target has
# no such package), built with the tests from the sources named by SORVEK_GOOGLETEST_SOURCE
# (Debian's googletest package: /usr/src/googletest). Never fetched.
set(SORVEK_GOOGLETEST_SOURCE "" CACHE PATH
  "Build GoogleTest from these sources instead of finding the installed one")
if(SORVEK_GOOGLETEST_SOURCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${SORVEK_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()
