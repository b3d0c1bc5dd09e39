// The skerrit-preview command line: which book, which output, and the messages and exit status
// of a run. Main.cpp only hands it the arguments and the two standard streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace skerrit::preview {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Runs one command; the text of --text goes to `out` byte for byte, messages to `err`.
int runPreview(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

}  // namespace skerrit::preview
