# What the two Windows cross builds with Debian's mingw-w64 share; the including toolchain file sets
# CMAKE_SYSTEM_PROCESSOR and mingw_triplet. The "-posix" compilers are the ones whose C++ runtime
# has std::mutex and std::thread (through winpthreads); everything is linked statically, so the
# programs and the library need no MinGW runtime DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${mingw_triplet}-gcc-posix ${mingw_triplet}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_triplet}-g++-posix ${mingw_triplet}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_triplet}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also pulls winpthreads in statically; the two runtime flags cover the GCC libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Optimised builds are delivered without symbols.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
