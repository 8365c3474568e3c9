# GoogleTest as GTest::gtest and GTest::gtest_main. A native build uses the installed libraries; a cross
# build has none for its target, so it compiles Debian's GoogleTest source (package googletest, pulled in
# by libgtest-dev) with the cross compiler.
set(Q470_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree for cross builds")

if(NOT CMAKE_CROSSCOMPILING)
    find_package(GTest REQUIRED)
    return()
endif()

if(NOT EXISTS "${Q470_GOOGLETEST_SOURCE}/googletest/CMakeLists.txt")
    message(FATAL_ERROR "No GoogleTest source at ${Q470_GOOGLETEST_SOURCE}: install googletest (scripts/setup) "
                        "or set Q470_GOOGLETEST_SOURCE")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory("${Q470_GOOGLETEST_SOURCE}/googletest" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
endif()
