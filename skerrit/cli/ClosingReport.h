// What Skerrit prints once the conversion has run, and the exit status that goes with it. The
// closing message for the result comes first, exactly as always. A failure then gets one line
// naming the file and the reason: a notice from the conversion when it gave one (a limit, a book
// that cannot be read), else the last system call that failed. A success gets one warning line
// for each limit that left pages or links out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/ConsoleCallbacks.h"
#include "engine/ConversionNotice.h"

namespace skerrit {

enum ExitStatus : int {
    kExitConverted = 0,
    kExitStoppedBeforeConverting = 1,  // usage, a failed check, overwrite declined
    kExitConversionFailed = 2,
    kExitCanceled = 3,
};

struct ConversionOutcome {
    int32_t result;
    std::string sourceName;       // as typed
    std::string destinationName;  // as typed or built
    std::vector<ConversionNotice> notices;
    SystemFailure systemFailure;
};

[[nodiscard]] ExitStatus exitStatusFor(int32_t result);

// The closing message, then the reason or the warnings; each line ends in "\n".
[[nodiscard]] std::string closingReport(const ConversionOutcome& outcome);

}  // namespace skerrit
