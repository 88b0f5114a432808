# What `cmake --install` puts in place beside the two programs, and the Debian package
# that `cpack -G DEB` makes of it: titora_<version>_amd64.deb with both programs
# stripped, the desktop entry, the icons, the AppStream description, the manual pages
# and the licence (as a machine-readable copyright file), its dependencies computed by
# dpkg-shlibdeps and its recommendations naming the fonts it is drawn in.
include(GNUInstallDirs)
set(titora_resources ${PROJECT_SOURCE_DIR}/resources)

install(FILES ${titora_resources}/titora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
    install(FILES ${titora_resources}/icons/${size}x${size}/titora.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${titora_resources}/titora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The AppStream description and the manual pages carry the project's version.
configure_file(${titora_resources}/org.example.titora.metainfo.xml
               ${PROJECT_BINARY_DIR}/org.example.titora.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.example.titora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the change log go compressed, as Debian's policy asks; -n keeps
# the time stamp out, so that the same sources give the same package.
function(titora_gzip source gzipped)
    add_custom_command(OUTPUT ${gzipped} COMMAND gzip -9n < ${source} > ${gzipped}
                       DEPENDS ${source})
endfunction()
set(titora_man ${PROJECT_BINARY_DIR}/man)
foreach(page titora titora-cli)
    configure_file(${titora_resources}/man/${page}.1.in ${titora_man}/${page}.1 @ONLY)
    titora_gzip(${titora_man}/${page}.1 ${titora_man}/${page}.1.gz)
    install(FILES ${titora_man}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
titora_gzip(${titora_resources}/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(titora_compressed_docs ALL DEPENDS ${titora_man}/titora.1.gz
                  ${titora_man}/titora-cli.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)

install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/titora)
install(FILES ${titora_resources}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/titora)
install(FILES ${titora_resources}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME titora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME titora)
set(CPACK_PACKAGE_VENDOR "The Titora developers")
set(CPACK_PACKAGE_CONTACT "The Titora developers <support@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list web pages with their titles and retitle them")
set(CPACK_PACKAGE_DESCRIPTION
    "Titora lists page files (HTML, SHTML, ASP or any file) with each page's
title and folder, and writes one new title into every selected file: it
replaces the text of the existing title element, or inserts one where there
is none, and saves each file whole, never leaving a damaged file behind.
titora-cli does the same from scripts.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.org/titora/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, out of dpkg-shlibdeps' sight; the window
# needs one to open on the desktop.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The faces the window is drawn in: the bitmap "MS Sans Serif" at a scale of one, Liberation
# Sans where a screen scales. Without them it still works, in DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
