# The flat hint component and its hint window.
if(NOT TARGET titora_framework)
    return()
endif()
add_library(titora_flathint STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TFlatHintUnit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFlatHintUnit.h
)
target_include_directories(titora_flathint PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_flathint PUBLIC titora_framework titora_options)
