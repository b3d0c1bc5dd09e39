// The full path of the source file that the command line hands the engine.
#pragma once

#include <array>
#include <string>

#include "htmldoc/PathRules.h"

namespace skerrit {

// A name of any kind but relative is taken as it is; a relative one is joined to the current
// directory (of its drive, where the system keeps one per drive) and folded. False when the
// current directory is unknown or the result would not fit in 1023 characters.
[[nodiscard]] bool fullSourcePath(const std::string& typed, std::array<char, kPathCapacity>& full);

}  // namespace skerrit
