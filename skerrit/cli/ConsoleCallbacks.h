// The console program's ConverterCallbacks: real files, temporary files that vanish when closed,
// the heap, and a silent progress slot that the command line replaces before converting.
#pragma once

#include "engine/ConverterCallbacks.h"

namespace skerrit {

// A copy of the constant template; its context is null.
ConverterCallbacks consoleCallbacksTemplate();

}  // namespace skerrit
