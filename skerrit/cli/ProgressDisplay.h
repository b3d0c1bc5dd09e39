// The console side of progress: step lines, page names and percentages on standard output, and
// the Escape key turned into a "stop" answer. Notices are kept, not printed: the command line
// tells them after the closing message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "cli/Console.h"
#include "engine/ConversionNotice.h"

namespace skerrit {

struct ProgressDisplay {
    std::FILE* out;
    console::EscapeWatcher* escape;  // null: never stop
    int32_t lastPercent;             // -1 = none printed since the last step or page line
    std::vector<ConversionNotice> notices = {};  // in the order the conversion reported them
};

void resetProgressDisplay(ProgressDisplay& display);

// The progress slot of the console callbacks; the context is the ProgressDisplay.
int32_t consoleProgress(void* context, int32_t code, const void* data);

}  // namespace skerrit
