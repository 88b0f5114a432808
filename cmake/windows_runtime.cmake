# What the programs built for Windows with Qt need beside them at run time, there being no
# windeployqt here: Qt's DLLs, the platform and style plugins, and the compiler's runtime
# DLLs, which Qt's DLLs share with the programs. The install rules put them beside
# titora.exe, and the tests run under wine with their folders on the DLL search path.

# The folder of each Qt DLL the programs link.
set(titora_qt_dlls)
foreach(module Core Gui Widgets)
    get_target_property(dll Qt6::${module} LOCATION)
    list(APPEND titora_qt_dlls ${dll})
endforeach()
list(GET titora_qt_dlls 0 titora_qt_core)
get_filename_component(titora_qt_bin ${titora_qt_core} DIRECTORY)
get_filename_component(titora_qt_plugins ${titora_qt_bin}/../plugins ABSOLUTE)

# The compiler's runtime, where the compiler itself finds it.
set(titora_runtime_dlls)
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${dll}" OR NOT EXISTS "${dll}")
        message(FATAL_ERROR "The compiler does not know where ${name} is")
    endif()
    get_filename_component(dll ${dll} REALPATH)
    list(APPEND titora_runtime_dlls ${dll})
endforeach()

# Tests run through wine with Qt's and the runtime's folders on the search path; Qt finds
# its plugins beside its own DLLs (../plugins).
set(titora_dll_folders ${titora_qt_bin})
foreach(dll IN LISTS titora_runtime_dlls)
    get_filename_component(folder ${dll} DIRECTORY)
    list(APPEND titora_dll_folders ${folder})
endforeach()
list(REMOVE_DUPLICATES titora_dll_folders)
string(REPLACE ";" ":" titora_dll_path "${titora_dll_folders}")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh --dlls
    ${titora_dll_path})

# Installed: every DLL beside the programs, and the plugins in the folders beside them
# where Qt looks (the application's folder is on Qt's plugin path).
install(FILES ${titora_qt_dlls} ${titora_runtime_dlls} DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${titora_qt_plugins}/platforms/qwindows.dll
        DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES ${titora_qt_plugins}/styles/qwindowsvistastyle.dll
        DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
