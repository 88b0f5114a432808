# The pictures the windows show, compiled into the program so that it needs no
# files beside it. Qt's target form of qt_add_resources puts the data into an
# object library that travels with this static library to every executable
# linking it, which registers the resources before main() runs; a plain static
# library would let the linker drop the unreferenced initialiser.
add_library(titora_resources STATIC ${CMAKE_CURRENT_LIST_DIR}/resources_anchor.cpp)
qt_add_resources(titora_resources "titora_pictures"
    PREFIX "/"
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES
        ${PROJECT_SOURCE_DIR}/resources/background.jpg
        ${PROJECT_SOURCE_DIR}/resources/about.jpg
        ${PROJECT_SOURCE_DIR}/resources/titora.png)
target_link_libraries(titora_resources PUBLIC Qt6::Core titora_options)
