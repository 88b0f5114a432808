# The main window and its file list. The rows and their commands form a library of their
# own that knows the title engine and no widget, so that their tests need no display.
add_library(titora_file_list STATIC ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp)
target_include_directories(titora_file_list PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_file_list PUBLIC title_engine titora_options)
