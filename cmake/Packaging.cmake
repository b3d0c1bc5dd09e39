# CPack: a Debian package of the Linux build, a ZIP of the Windows build.
#   cmake --preset package && cmake --build --preset package && cpack --preset package
#   cmake --preset windows && cmake --build --preset windows && cpack --preset windows
set(PACKAGE_MAINTAINER
    "Palm desktop tools maintainers <maintainers@users.noreply.c-seed-e3854c34.example>"
    CACHE STRING "Maintainer named in the Debian package")
set(DEBIAN_REVISION 1 CACHE STRING "Debian revision of the package (the part after the version)")

set(CPACK_PACKAGE_NAME ${PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "Palm desktop tools maintainers")
set(CPACK_PACKAGE_CONTACT ${PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tools for Palm OS handhelds")
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${PACKAGE_NAME}-${PROJECT_VERSION}-win32)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_RELEASE ${DEBIAN_REVISION})
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PACKAGE_MAINTAINER})
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Dependencies from the libraries the programs link (dpkg-shlibdeps); a shlibs file for
    # libHollin.so.1.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # Hollin reads Palm Desktop's data in a Wine prefix.
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
    # CPack puts the summary above as the synopsis line.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Three tools for owners of Palm OS handhelds. Skerrit converts HTML pages
(with the pages they link to), plain text and Doc e-books into compressed
document databases for the Veldt reader. Quillon converts Tavlo Pro databases
to CSV and back, from a dialog or in batch mode, and upgrades Tavlo 3.x
databases. The Hollin library lists the HotSync users of Palm Desktop running
under Wine and queues files for their next HotSync; hollin-users is its
command-line front end.")
    # libHollin.so.1 lives in the linker's folders: the cache is refreshed through dpkg's ldconfig
    # trigger. CPack would otherwise call ldconfig from generated maintainer scripts; supplying
    # our own (empty) scripts turns that off.
    set(debian_files ${PROJECT_SOURCE_DIR}/packaging/debian)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${debian_files}/triggers ${debian_files}/postinst
        ${debian_files}/postrm)

    # The Debian changelog goes with the package, compressed as Debian wants it; its newest entry
    # must name the version being packaged.
    set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
    file(STRINGS ${changelog} changelog_head LIMIT_COUNT 1)
    set(package_version ${PROJECT_VERSION}-${DEBIAN_REVISION})
    if(NOT changelog_head MATCHES "^${PACKAGE_NAME} \\(${package_version}\\) ")
        message(WARNING "packaging/debian/changelog: the newest entry is not for ${package_version}"
                        " (${changelog_head}); add one before making the Debian package")
    endif()
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        COMMAND gzip -9 -n -c ${changelog} > ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DEPENDS ${changelog} COMMENT "Compressing the Debian changelog")
    add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
    install(FILES ${PROJECT_BINARY_DIR}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
include(CPack)
