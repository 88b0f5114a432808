# The main window and its file list. The rows and their commands form a library of their
# own that knows the title engine and no widget, so that their tests need no display.
add_library(titora_file_list STATIC
    ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_list.h
    ${CMAKE_CURRENT_LIST_DIR}/finally.h)
target_include_directories(titora_file_list PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(titora_file_list PUBLIC title_engine titora_options)

if(NOT TARGET titora_framework OR NOT TARGET titora_flathint OR NOT TARGET titora_about
   OR NOT TARGET titora_resources OR NOT TARGET titora_title_text)
    return()
endif()

# The main window: the list's model and view, the window definition and its handlers.
add_library(titora_mainform STATIC
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
target_link_libraries(titora PRIVATE titora_mainform titora_options)

include(GNUInstallDirs)
install(TARGETS titora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/titora.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/titora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
