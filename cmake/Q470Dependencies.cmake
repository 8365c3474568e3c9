# Header-only libraries from Debian packages, wrapped as imported targets.
find_package(Threads REQUIRED)

find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
if(NOT TARGET q470::asio)
    add_library(q470::asio INTERFACE IMPORTED GLOBAL)
    target_include_directories(q470::asio SYSTEM INTERFACE "${ASIO_INCLUDE_DIR}")
    target_compile_definitions(q470::asio INTERFACE ASIO_STANDALONE)
    target_link_libraries(q470::asio INTERFACE Threads::Threads)
    # GCC flags asio's std::atomic_thread_fence as unsupported under ThreadSanitizer (-Wtsan); asio's
    # mutexes carry the synchronisation, so the warning must not break a -Werror build.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND "thread" IN_LIST Q470_SANITIZE)
        target_compile_options(q470::asio INTERFACE -Wno-tsan)
    endif()
endif()

find_package(RapidJSON REQUIRED)
if(NOT TARGET q470::rapidjson)
    add_library(q470::rapidjson INTERFACE IMPORTED GLOBAL)
    target_include_directories(q470::rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIRS})
endif()
