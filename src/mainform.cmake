# The main window and its file list. The rows and their commands form a library of their
# own that knows the title engine and no widget, so that their tests need no display.
add_library(titora_file_list STATIC
    ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_list.h
    ${CMAKE_CURRENT_LIST_DIR}/finally.h
    ${CMAKE_CURRENT_LIST_DIR}/progress.h)
target_include_directories(titora_file_list PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_file_list PUBLIC title_engine titora_folder_walker titora_options)

# The program's command line, read before any window exists; no Qt.
add_library(titora_command_line STATIC
    ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command_line.h)
target_include_directories(titora_command_line PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_command_line PUBLIC titora_options)

if(NOT TARGET titora_framework OR NOT TARGET titora_flathint OR NOT TARGET titora_about
   OR NOT TARGET titora_resources OR NOT TARGET titora_title_text)
    return()
endif()

# The main window: the list's model and view, the window definition and its handlers.
add_library(titora_mainform STATIC
    ${CMAKE_CURRENT_LIST_DIR}/busy_indicator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/busy_indicator.h
    ${CMAKE_CURRENT_LIST_DIR}/file_list_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_list_model.h
    ${CMAKE_CURRENT_LIST_DIR}/file_list_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_list_view.h
    ${CMAKE_CURRENT_LIST_DIR}/window_definition.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_definition.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Unit3.h
    ${CMAKE_CURRENT_LIST_DIR}/Unit3.ui)
target_include_directories(titora_mainform PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_mainform PUBLIC titora_file_list titora_title_text titora_flathint
    titora_about titora_resources titora_framework title_engine titora_options)

add_executable(titora ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(titora PRIVATE titora_mainform titora_command_line titora_options)

include(GNUInstallDirs)
install(TARGETS titora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
