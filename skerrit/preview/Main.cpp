// skerrit-preview: shows a book that Skerrit wrote as the handheld reader would show it.
#include <cstdio>
#include <string>
#include <vector>

#include "preview/PreviewProgram.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // --text writes the book's bytes unchanged: no CR before each line feed.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return skerrit::preview::runPreview(arguments, stdout, stderr);
}
