# Install rules and the Debian package (CPack's DEB generator):
#   cmake --workflow --preset package   ->  build/package/quorvel_18.0-1_amd64.deb
# The program goes to /usr/bin; the schema and help it copies into each user's data folder on
# the first start go to /usr/share/quorvel, where it looks for them (../share/quorvel).

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/db/schema.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvel)
if(TARGET helpfile)
    install(FILES ${PROJECT_BINARY_DIR}/使用帮助.chm DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvel)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quorvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quorvel.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quorvel.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quorvel)

# Debian wants the changelog and manual page compressed, reproducibly (no name, no time).
find_program(QUORVEL_GZIP gzip REQUIRED)
set(QUORVEL_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
add_custom_command(
    OUTPUT ${QUORVEL_PACKAGING_OUT}/changelog.Debian.gz ${QUORVEL_PACKAGING_OUT}/quorvel.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_PACKAGING_OUT}
    COMMAND ${QUORVEL_GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog.Debian > ${QUORVEL_PACKAGING_OUT}/changelog.Debian.gz
    COMMAND ${QUORVEL_GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/quorvel.1 > ${QUORVEL_PACKAGING_OUT}/quorvel.1.gz
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog.Debian ${CMAKE_CURRENT_LIST_DIR}/quorvel.1
    VERBATIM)
add_custom_target(packaging_docs ALL
    DEPENDS ${QUORVEL_PACKAGING_OUT}/changelog.Debian.gz ${QUORVEL_PACKAGING_OUT}/quorvel.1.gz)
install(FILES ${QUORVEL_PACKAGING_OUT}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvel)
install(FILES ${QUORVEL_PACKAGING_OUT}/quorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quorvel)
set(CPACK_PACKAGE_CONTACT "Quorvel <support@quorvel.cn>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sales receipt printing for small shops (Chinese)")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop point-of-sale program with a Chinese interface: a cashier enters the\n"
    "lines of a sale, sees totals and change, and prints the receipt on a 58 mm or\n"
    "76 mm receipt printer. Every sale is kept in a history that can be searched\n"
    "and exported to a spreadsheet file.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quorvel.cn)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the receipts and windows are drawn with, and Qt's SQLite driver (a plugin, so
# dpkg-shlibdeps cannot see it); help viewing and Qt's Chinese texts are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm, xdg-utils, qt6-translations-l10n, cups-client")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "sqlite3")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
