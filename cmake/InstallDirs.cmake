# Where an installation puts things: the GNU conventions (GNUInstallDirs) and this project's own
# folders. A program finds what it needs relative to its own folder, so an installed tree still
# works when it is moved (another --prefix, a DESTDIR, an unpacked ZIP).
set(PACKAGE_NAME palm-desktop-tools)  # the Debian package and the documentation folder
if(WIN32)
    # One folder, as the ZIP is unpacked: the programs, Hollin.dll and Hollin.h side by side.
    set(CMAKE_INSTALL_BINDIR . CACHE PATH "Programs and Hollin.dll")
    set(CMAKE_INSTALL_INCLUDEDIR . CACHE PATH "Hollin.h")
    set(CMAKE_INSTALL_DOCDIR doc CACHE PATH "Documentation")
else()
    set(CMAKE_INSTALL_DOCDIR share/doc/${PACKAGE_NAME}
        CACHE PATH "Documentation root (DATAROOTDIR/doc/${PACKAGE_NAME})")
endif()
include(GNUInstallDirs)

# Quillon's companions ferrand.exe and gostwick.exe. On Windows they are delivered beside
# Quillon.exe; elsewhere nobody starts them by hand, so they are helpers in libexec.
if(WIN32)
    set(QUILLON_COMPANION_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
else()
    set(QUILLON_COMPANION_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quillon)
endif()

# install_path_from_bindir(<variable> <install-dir>): <install-dir> (relative to the prefix, or
# absolute) as a path relative to the installed bin folder, "." for the bin folder itself.
function(install_path_from_bindir variable directory)
    get_filename_component(bindir ${CMAKE_INSTALL_BINDIR} ABSOLUTE BASE_DIR ${CMAKE_INSTALL_PREFIX})
    get_filename_component(target ${directory} ABSOLUTE BASE_DIR ${CMAKE_INSTALL_PREFIX})
    file(RELATIVE_PATH relative ${bindir} ${target})
    if(relative STREQUAL "")
        set(relative .)
    endif()
    set(${variable} ${relative} PARENT_SCOPE)
endfunction()
