// What the command line hands the driver for one conversion.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

inline constexpr int32_t kNotSet = -1;

struct ConversionRequest {
    const ConverterCallbacks* callbacks;
    const char* sourcePath;       // full path of the source file
    const char* destinationPath;  // path of the output database
    const char* title;            // its first 31 bytes become the database name
    int32_t removeCR;             // the six option fields are read only by the text preparation
    int32_t removeLF;
    int32_t convertCRtoLF;
    int32_t singleBreakSpaces;  // kNotSet or a count of spaces
    int32_t tabLineBreaks;      // kNotSet or a count of line breaks
    int32_t tabSpaces;          // kNotSet or a count of spaces
    int32_t maxLinkDepth;       // kNotSet = no limit; read only by the HTML conversion
};

}  // namespace skerrit
