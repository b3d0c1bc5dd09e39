# Cross build for 64-bit Windows with Debian's mingw-w64 (packages g++-mingw-w64-x86-64-posix and
# gcc-mingw-w64-x86-64-posix), for machines whose kernel runs no 32-bit programs and so no 32-bit
# Wine: scripts/test-windows.sh then tests this build under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
