# Turning dropped or named files and folders into page files; no Qt, so that the
# command-line program shares it. One file per system lists folders.
add_library(titora_folder_walker STATIC
    ${CMAKE_CURRENT_LIST_DIR}/folder_walker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folder_walker.h
    ${CMAKE_CURRENT_LIST_DIR}/folder_listing.h)
if(WIN32)
    target_sources(titora_folder_walker PRIVATE ${CMAKE_CURRENT_LIST_DIR}/folder_listing_win32.cpp)
    target_compile_definitions(titora_folder_walker PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0600)
else()
    target_sources(titora_folder_walker PRIVATE ${CMAKE_CURRENT_LIST_DIR}/folder_listing_posix.cpp)
endif()
target_include_directories(titora_folder_walker PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_folder_walker PUBLIC titora_options)
