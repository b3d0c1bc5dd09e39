// Reading Skerrit's command line into its settings, and the usage screen.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/ConversionRequest.h"

namespace skerrit {

// --help and --version, whole arguments of their own: the first one given is answered and nothing
// else is done.
enum class InformationRequest { None, Help, Version };

struct Settings {
    bool usageWanted = false;
    InformationRequest information = InformationRequest::None;
    bool sourceGiven = false;
    std::string sourceName;
    bool destinationGiven = false;
    std::string destinationName;
    bool titleGiven = false;
    std::string title;
    bool forceOverwrite = false;
    int32_t removeCR = 0;
    int32_t removeLF = 0;
    int32_t convertCRtoLF = 0;
    int32_t singleBreakSpaces = kNotSet;
    int32_t tabLineBreaks = kNotSet;
    int32_t tabSpaces = kNotSet;
    int32_t maxLinkDepth = kNotSet;
};

// Reads the arguments in order (argv[0] is the program), printing a line for each unrecognized
// option and each file name beyond the second.
Settings readArguments(int argc, const char* const* argv, std::FILE* out);

// A decimal number by the usual rule: leading blanks, an optional sign, digits up to the first
// non-digit; no digits give 0. Values beyond 32 bits are held at the nearest limit.
int32_t readNumber(const char* text);

// Prints the usage screen. With pauseHalfway, it shows "<Hit return to continue>" after the usage
// line and waits for one character from standard input; without, it runs on without that line.
void showUsage(std::FILE* out, bool pauseHalfway);

// The line --version prints: "Skerrit 2.21 (Palm desktop tools 1.0)".
void showVersion(std::FILE* out);

}  // namespace skerrit
