# The Debian package: `cpack -G DEB` in the build folder (or the target `deb`) writes
# pallomar_<version>_amd64.deb. It holds the program folder under PACKAGE_PROGRAM_DIR with
# the marker that makes it a system installation (updated by the package manager, the
# programs' files written under the user's XDG folders), the launchers in /usr/bin, and the
# desktop entries, icons and metainfo of a plain install.
if(NOT WITH_GUI)
    return()
endif()

set(PACKAGE_DATA "${CMAKE_SOURCE_DIR}/data/package")
install(FILES "${PACKAGE_DATA}/installed-by-package" DESTINATION "${PACKAGE_PROGRAM_DIR}" COMPONENT package
    EXCLUDE_FROM_ALL)
set(DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/pallomar")
install(FILES "${PACKAGE_DATA}/copyright" DESTINATION "${DOC_DIR}" COMPONENT package EXCLUDE_FROM_ALL)
configure_file("${PACKAGE_DATA}/changelog.Debian.in" "${CMAKE_BINARY_DIR}/package/changelog.Debian" @ONLY)
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/package/changelog.Debian.gz"
    COMMAND gzip -9 -n -c changelog.Debian > changelog.Debian.gz
    DEPENDS "${CMAKE_BINARY_DIR}/package/changelog.Debian"
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/package")
add_custom_target(package_changelog ALL DEPENDS "${CMAKE_BINARY_DIR}/package/changelog.Debian.gz")
install(FILES "${CMAKE_BINARY_DIR}/package/changelog.Debian.gz" DESTINATION "${DOC_DIR}" COMPONENT package
    EXCLUDE_FROM_ALL)
install(FILES "${PACKAGE_DATA}/lintian-overrides" DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
    RENAME pallomar COMPONENT package EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pallomar)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Tovanis")
set(CPACK_PACKAGE_CONTACT "Tovanis maintainers <maintainers@tovanis.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video portal and network TV shells with their updater")
set(CPACK_PACKAGE_DESCRIPTION "Pallomar shows the video portal's film library and player;
TovanTV plays the network TV channels. Installed by this package they are
updated by the package manager, and keep each user's settings in the user's
own configuration folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The program folder is named absolute: staged below the package root as it is.
set(CPACK_SET_DESTDIR ON)
# One package of the two components: the program folder for /opt and the desktop files.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tovanis.net/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries load at run time and dpkg-shlibdeps cannot see: Qt's Wayland platform,
# and the fonts and Qt translations for the programs' Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
# The skin engine lies beside the executables, found through $ORIGIN.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROGRAM_FOLDER}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

add_custom_target(deb
    COMMAND cpack -G DEB -B "${CMAKE_BINARY_DIR}/package"
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    COMMENT "Writing the Debian package"
    VERBATIM)
