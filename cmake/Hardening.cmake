# The protections Debian builds its packages with (dpkg-buildflags): fortified C library calls,
# stack protector, position-independent executables, read-only relocations bound at start-up.
# The package preset turns them on; they need an optimised build (_FORTIFY_SOURCE acts only there).
option(ENABLE_HARDENING "Build with the hardening flags of distribution packages" OFF)
if(ENABLE_HARDENING AND NOT WIN32)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    add_compile_options(-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong
                        -fstack-clash-protection)
    add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
