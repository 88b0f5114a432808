# Page titles as text, in the encoding each page declares. Qt Core only: the window uses
# it, and so can a program without widgets.
if(NOT TARGET Qt6::Core)
    return()
endif()
add_library(titora_title_text STATIC
    ${CMAKE_CURRENT_LIST_DIR}/title_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/title_text.h)
target_include_directories(titora_title_text PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_title_text PUBLIC Qt6::Core titora_options)
