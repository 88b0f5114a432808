# What `cmake --install` puts in place on Windows beside the two programs and their DLLs
# (cmake/windows_runtime.cmake), and the two packages cpack makes of it:
# titora-<version>-win64.exe, an installer that makes a Start-menu entry, offers Titora in
# "Open with" for web pages and registers its uninstaller; and titora-<version>-win64.zip,
# the same folder to run from wherever it is unpacked.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR NSIS ZIP)
# The commands below go to the installer's script as they are written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME titora)
set(CPACK_PACKAGE_VENDOR "The Titora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list web pages with their titles and retitle them")
set(CPACK_PACKAGE_FILE_NAME titora-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Titora)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Titora)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The Start-menu entry: titora.exe under the name Titora.
set(CPACK_PACKAGE_EXECUTABLES titora Titora)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_PACKAGE_NAME Titora)
set(CPACK_NSIS_DISPLAY_NAME Titora)
set(CPACK_NSIS_INSTALLED_ICON_NAME titora.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/titora.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/titora.ico)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# A 64-bit installer for 64-bit programs: it sees the 64-bit registry and Program Files
# without redirection, and needs no 32-bit Windows layer (nor wine's) to run.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")

# "Open with" for web pages without taking over the pages' default program: a program
# identifier of Titora's, named among each extension's OpenWithProgids, and the
# application's own entry with the types it supports.
set(titora_progid "Titora.WebPage")
set(titora_classes "Software\\Classes")
set(titora_open "'\"$INSTDIR\\titora.exe\" \"%1\"'")
set(titora_install_commands
    "WriteRegStr HKLM '${titora_classes}\\${titora_progid}' '' 'Web page'"
    "WriteRegStr HKLM '${titora_classes}\\${titora_progid}\\DefaultIcon' '' '$INSTDIR\\titora.exe,0'"
    "WriteRegStr HKLM '${titora_classes}\\${titora_progid}\\shell\\open\\command' '' ${titora_open}"
    "WriteRegStr HKLM '${titora_classes}\\Applications\\titora.exe' 'FriendlyAppName' 'Titora'"
    "WriteRegStr HKLM '${titora_classes}\\Applications\\titora.exe\\shell\\open\\command' '' ${titora_open}")
set(titora_uninstall_commands
    "DeleteRegKey HKLM '${titora_classes}\\${titora_progid}'"
    "DeleteRegKey HKLM '${titora_classes}\\Applications\\titora.exe'")
foreach(extension .html .htm .shtml .asp)
    list(APPEND titora_install_commands
         "WriteRegStr HKLM '${titora_classes}\\${extension}\\OpenWithProgids' '${titora_progid}' ''"
         "WriteRegStr HKLM '${titora_classes}\\Applications\\titora.exe\\SupportedTypes' '${extension}' ''")
    list(APPEND titora_uninstall_commands
         "DeleteRegValue HKLM '${titora_classes}\\${extension}\\OpenWithProgids' '${titora_progid}'")
endforeach()
# Explorer reads the associations afresh once told that they changed.
set(titora_notify "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'")
list(APPEND titora_install_commands "${titora_notify}")
list(APPEND titora_uninstall_commands "${titora_notify}")
string(REPLACE ";" "\n" CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${titora_install_commands}")
string(REPLACE ";" "\n" CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${titora_uninstall_commands}")
include(CPack)
