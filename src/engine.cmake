# The title engine: plain C++ and the platform's C API, no Qt and no other library.
add_library(title_engine STATIC
    ${CMAKE_CURRENT_LIST_DIR}/title_engine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/title_engine.h
    ${CMAKE_CURRENT_LIST_DIR}/page_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_text.h
    ${CMAKE_CURRENT_LIST_DIR}/page_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_buffer.h
    ${CMAKE_CURRENT_LIST_DIR}/line_breaks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_breaks.h
    ${CMAKE_CURRENT_LIST_DIR}/page_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_file.h
    ${CMAKE_CURRENT_LIST_DIR}/platform/platform.h
)
# One file per platform holds every system call the engine makes.
if(UNIX)
    target_sources(title_engine PRIVATE ${CMAKE_CURRENT_LIST_DIR}/platform/platform_posix.cpp)
else()
    message(FATAL_ERROR "The title engine's platform layer exists for POSIX systems only so far")
endif()
target_include_directories(title_engine PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(title_engine PUBLIC titora_options)
# The fuzzer needs the engine instrumented for coverage and the sanitizers it runs with.
if(TITORA_FUZZ)
    target_compile_options(title_engine PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
