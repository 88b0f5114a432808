# The About box: its class, its window definition (compiled by uic) and,
# through titora_resources, its picture.
if(NOT TARGET titora_framework OR NOT TARGET titora_resources)
    return()
endif()
add_library(titora_about STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Unit2.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit2.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Unit2.ui)
target_include_directories(titora_about PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_about PUBLIC titora_framework titora_resources titora_options)
