// --help and --version. Batch mode tells its mode by the first character of the command line, so
// these are recognised only as the whole command line; anything more is a batch command line.
#pragma once

#include <string_view>

namespace quillon {

enum class InformationRequest { None, Help, Version };

// Help or Version when the command line, spaces around it aside, is exactly "--help" or
// "--version".
InformationRequest InformationRequested(std::string_view commandLine);

// What Quillon prints for each: the usage with the exit statuses, and its version line.
std::string_view QuillonHelpText();
std::string_view QuillonVersionLine();

}  // namespace quillon
