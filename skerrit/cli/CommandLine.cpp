// Option parsing. An option is recognised by its second character, case-sensitively; what
// follows a single-letter option is ignored, and anything not recognised is reported and
// skipped so that a typing slip never stops a conversion on its own.
#include "cli/CommandLine.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace skerrit {

namespace {

constexpr int32_t kDefaultSingleBreakSpaces = 1;
constexpr int32_t kDefaultTabLineBreaks = 2;
constexpr int32_t kDefaultTabSpaces = 8;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number after an option's letters, or the option's default when nothing follows them.
int32_t valueOrDefault(const char* rest, int32_t defaultValue) {
    return rest[0] == '\0' ? defaultValue : readNumber(rest);
}

bool readOption(const char* argument, Settings& settings) {
    const char* rest = argument + 2;
    switch (argument[1]) {
        case 'h':
        case '?':
            settings.usageWanted = true;
            return true;
        case 'i':
            settings.titleGiven = true;
            settings.title = rest;
            return true;
        case 'y':
            settings.forceOverwrite = true;
            return true;
        case 'c':
            settings.convertCRtoLF = 1;
            return true;
        case 'r':
            if (std::strcmp(rest, "CR") == 0) {
                settings.removeCR = 1;
                return true;
            }
            if (std::strcmp(rest, "LF") == 0) {
                settings.removeLF = 1;
                return true;
            }
            return false;
        case 's':
            if (std::strncmp(rest, "LB", 2) != 0)
                return false;
            settings.singleBreakSpaces = valueOrDefault(rest + 2, kDefaultSingleBreakSpaces);
            return true;
        case 't':
            if (std::strncmp(rest, "LB", 2) == 0) {
                settings.tabLineBreaks = valueOrDefault(rest + 2, kDefaultTabLineBreaks);
                return true;
            }
            if (rest[0] == 'S') {
                settings.tabSpaces = valueOrDefault(rest + 1, kDefaultTabSpaces);
                return true;
            }
            return false;
        case 'd':
            if (rest[0] != '\0')
                settings.maxLinkDepth = readNumber(rest);
            return true;
        default:
            return false;
    }
}

}  // namespace

int32_t readNumber(const char* text) {
    while (isBlank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    // Accumulated as a magnitude held at 2^31, so an overlong number is out of every range
    // instead of wrapping into one.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = std::min(kLimit, magnitude * 10 + (*text - '0'));
    }
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

// The long options are told by the whole argument, so they never shadow a short option: "--x"
// stays an unrecognised option, as its second character is "-".
InformationRequest informationRequest(const char* argument) {
    if (std::strcmp(argument, "--help") == 0)
        return InformationRequest::Help;
    if (std::strcmp(argument, "--version") == 0)
        return InformationRequest::Version;
    return InformationRequest::None;
}

Settings readArguments(int argc, const char* const* argv, std::FILE* out) {
    Settings settings;
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (const InformationRequest request = informationRequest(argument);
            request != InformationRequest::None) {
            if (settings.information == InformationRequest::None)
                settings.information = request;
        } else if (argument[0] == '-') {
            if (!readOption(argument, settings)) {
                std::fprintf(out, "Unrecognized option ignored: %s\n", argument);
            }
        } else if (!settings.sourceGiven) {
            settings.sourceGiven = true;
            settings.sourceName = argument;
        } else if (!settings.destinationGiven) {
            settings.destinationGiven = true;
            settings.destinationName = argument;
        } else {
            std::fprintf(out, "Extra parameter ignored: %s\n", argument);
        }
    }
    return settings;
}

}  // namespace skerrit
