# What `cmake --install` puts where. Folders come from GNUInstallDirs (cmake/InstallDirs.cmake);
# the Windows build installs flat, as its ZIP is unpacked: programs, Hollin.dll and Hollin.h in one
# folder. Targets another build step may not make (skerrit-preview, the Quillon icon) are
# installed when they exist.
include(CMakePackageConfigHelpers)

# --- Programs -------------------------------------------------------------------------------
foreach(program Skerrit skerrit-preview Quillon hollin-users)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
install(TARGETS quillon_ferrand quillon_gostwick
        RUNTIME DESTINATION ${QUILLON_COMPANION_INSTALL_DIR})

# --- Hollin: the library, its header, pkg-config and CMake package files ----------------------
install(FILES ${PROJECT_SOURCE_DIR}/hollin/include/Hollin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
    install(TARGETS Hollin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
    install(TARGETS Hollin EXPORT HollinTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

    set(hollin_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Hollin)
    install(EXPORT HollinTargets NAMESPACE Hollin:: DESTINATION ${hollin_cmake_dir})
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/HollinConfig.cmake.in
                                  ${PROJECT_BINARY_DIR}/HollinConfig.cmake
                                  INSTALL_DESTINATION ${hollin_cmake_dir})
    # The seven exports keep their meaning within a major version.
    write_basic_package_version_file(${PROJECT_BINARY_DIR}/HollinConfigVersion.cmake
                                     VERSION ${HOLLIN_VERSION} COMPATIBILITY SameMajorVersion)
    install(FILES ${PROJECT_BINARY_DIR}/HollinConfig.cmake
                  ${PROJECT_BINARY_DIR}/HollinConfigVersion.cmake
            DESTINATION ${hollin_cmake_dir})

    # hollin.pc names its prefix relative to its own folder, so a moved tree stays usable.
    set(pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
    get_filename_component(pkgconfig_full ${pkgconfig_dir} ABSOLUTE
                           BASE_DIR ${CMAKE_INSTALL_PREFIX})
    file(RELATIVE_PATH HOLLIN_PC_PREFIX ${pkgconfig_full} ${CMAKE_INSTALL_PREFIX})
    string(REGEX REPLACE "/$" "" HOLLIN_PC_PREFIX "${HOLLIN_PC_PREFIX}")
    file(RELATIVE_PATH HOLLIN_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
    file(RELATIVE_PATH HOLLIN_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX}
         ${CMAKE_INSTALL_FULL_INCLUDEDIR})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/hollin.pc.in ${PROJECT_BINARY_DIR}/hollin.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/hollin.pc DESTINATION ${pkgconfig_dir})
endif()

# --- Desktop integration (Linux) ---------------------------------------------------------------
if(NOT WIN32)
    if(TARGET Quillon)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/quillon.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    endif()
    if(TARGET quillon_icons)
        install(DIRECTORY ${QUILLON_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/Skerrit.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME Skerrit)
endif()

# --- Documentation -----------------------------------------------------------------------------
# The README keeps its links: the docs folder is installed beside it as it is in the sources.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png" PATTERN "*.html"
        PATTERN "man" EXCLUDE)
if(WIN32)
    # Notepad and every Windows editor read CR LF line ends.
    configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt
                   ${PROJECT_BINARY_DIR}/README-windows.txt @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${PROJECT_BINARY_DIR}/README-windows.txt DESTINATION .)
else()
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
