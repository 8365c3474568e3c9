# Header-only libraries from Debian packages, wrapped as imported targets.
find_package(Threads REQUIRED)

# q470_host_headers(<var> <header> <entries>...): in a cross build the header-only libraries come from the
# host's /usr/include, which must not reach the cross compiler's include path (the host's C library headers
# would shadow the target's). Links to just the library's own entries go into a folder of the build tree,
# and <var> names that folder.
function(q470_host_headers var header)
    find_path(q470_host_dir_${var} ${header} PATHS /usr/local/include /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    set(staged "${CMAKE_BINARY_DIR}/host-headers/${var}")
    foreach(entry ${ARGN})
        if(NOT EXISTS "${staged}/${entry}")
            file(MAKE_DIRECTORY "${staged}")
            file(CREATE_LINK "${q470_host_dir_${var}}/${entry}" "${staged}/${entry}" SYMBOLIC)
        endif()
    endforeach()
    set(${var} "${staged}" PARENT_SCOPE)
endfunction()

if(CMAKE_CROSSCOMPILING)
    q470_host_headers(ASIO_INCLUDE_DIR asio.hpp asio.hpp asio)
else()
    find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
endif()
if(NOT TARGET q470::asio)
    add_library(q470::asio INTERFACE IMPORTED GLOBAL)
    target_include_directories(q470::asio SYSTEM INTERFACE "${ASIO_INCLUDE_DIR}")
    target_compile_definitions(q470::asio INTERFACE ASIO_STANDALONE)
    target_link_libraries(q470::asio INTERFACE Threads::Threads)
    # asio's Windows back end needs Winsock even for serial ports.
    if(WIN32)
        target_link_libraries(q470::asio INTERFACE ws2_32 mswsock)
    endif()
    # GCC flags asio's std::atomic_thread_fence as unsupported under ThreadSanitizer (-Wtsan); asio's
    # mutexes carry the synchronisation, so the warning must not break a -Werror build.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND "thread" IN_LIST Q470_SANITIZE)
        target_compile_options(q470::asio INTERFACE -Wno-tsan)
    endif()
endif()

if(CMAKE_CROSSCOMPILING)
    q470_host_headers(RAPIDJSON_INCLUDE_DIRS rapidjson/document.h rapidjson)
else()
    # Debian's package has a CMake config; an unpacked source tree (Windows) has only its include folder.
    find_package(RapidJSON QUIET)
    if(NOT RAPIDJSON_INCLUDE_DIRS)
        find_path(RAPIDJSON_INCLUDE_DIRS rapidjson/document.h REQUIRED)
    endif()
endif()
if(NOT TARGET q470::rapidjson)
    add_library(q470::rapidjson INTERFACE IMPORTED GLOBAL)
    target_include_directories(q470::rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIRS})
endif()

# Every Windows source sees the same API level, and <windows.h> leaves std::min and std::max alone.
if(WIN32)
    add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX)
endif()

# The production station (Linux): its record in SQLite, the profile's digest from libcrypto. Without
# them the station is left out of the build and q470ctl says so.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    find_package(SQLite3 QUIET)
    find_package(OpenSSL QUIET COMPONENTS Crypto)
    if(NOT SQLite3_FOUND OR NOT OpenSSL_FOUND)
        message(STATUS "SQLite or libcrypto not found (scripts/setup installs them): the station is left out")
    endif()
    # A record shared by several stations in PostgreSQL, through libpq. Without it the station keeps its
    # record in SQLite only, and a database given as --log is refused with a word why.
    find_package(PkgConfig QUIET)
    if(PkgConfig_FOUND)
        pkg_check_modules(LIBPQ QUIET IMPORTED_TARGET GLOBAL libpq)
    endif()
    if(NOT LIBPQ_FOUND)
        message(STATUS "libpq not found (scripts/setup installs it): the station's record is SQLite only")
    endif()
endif()
