# Cross build for 32-bit Windows with Debian's mingw-w64 (packages g++-mingw-w64-i686 and
# gcc-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
