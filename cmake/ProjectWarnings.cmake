# Warnings travel through an interface target so that every library and test opts in explicitly,
# and third-party code found through find_package is never compiled with our flags.
add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Wimplicit-fallthrough)
# GCC 12 at -O3 reports -Wrestrict and -Wnull-dereference inside libstdc++'s own std::string and
# streambuf code (false positives of that release), which would make every optimised build fail.
# -Wnull-dereference only acts in optimised builds, so GCC 12 goes without it; clang keeps it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(project_warnings INTERFACE -Wno-restrict)
else()
    target_compile_options(project_warnings INTERFACE -Wnull-dereference)
endif()
if(WARNINGS_AS_ERRORS)
    target_compile_options(project_warnings INTERFACE -Werror)
endif()

# Sanitizers apply to the whole build when asked for, third-party code included.
if(ENABLE_SANITIZERS)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
