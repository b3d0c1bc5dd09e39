// Console progress callback. Percentages overwrite each other on one line through "\r", and a
// page name first blanks that line so a shorter name leaves no tail of the longer one behind.
#include "cli/ProgressDisplay.h"

#include <cstring>

#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

// A page line fits in 79 columns: five blanks and at most 74 characters of the name.
constexpr std::size_t kShownNameLength = 74;
constexpr std::size_t kShownHeadLength = 35;
constexpr std::size_t kShownTailLength = 36;
static_assert(kShownHeadLength + 3 + kShownTailLength == kShownNameLength);

void printPageName(std::FILE* out, const char* name) {
    std::fprintf(out, "%79s\r     ", "");
    const std::size_t length = std::strlen(name);
    if (length > kShownNameLength) {
        std::fwrite(name, 1, kShownHeadLength, out);
        std::fputs("...", out);
        std::fputs(name + length - kShownTailLength, out);
    } else {
        std::fputs(name, out);
    }
    std::fputs("\r", out);
}

const char* stepLine(int32_t code) {
    switch (code) {
        case kProgressHtmlParse:
            return "Step 1 of 3: Parsing HTML page(s)...\n";
        case kProgressHtmlFormat:
            return "Step 2 of 3: Processing formatting information...\n";
        case kProgressHtmlCompress:
            return "Step 3 of 3: Compressing text...\n";
        case kProgressDocPreprocess:
            return "Step 1 of 2: Preprocessing DOC file...\n";
        case kProgressTextPreprocess:
            return "Step 1 of 2: Preprocessing text file...\n";
        case kProgressTextCompress:
            return "Step 2 of 2: Compressing text...\n";
        default:
            return nullptr;
    }
}

}  // namespace

void resetProgressDisplay(ProgressDisplay& display) {
    display.lastPercent = -1;
}

int32_t consoleProgress(void* context, int32_t code, const void* data) {
    auto& display = *static_cast<ProgressDisplay*>(context);
    // A notice is no moment to stop at: an Escape pressed now waits for the next report.
    if (code == kProgressNotice) {
        if (data != nullptr)
            display.notices.push_back(*static_cast<const ConversionNotice*>(data));
        return 1;
    }
    if (const char* line = stepLine(code); line != nullptr) {
        std::fputs(line, display.out);
        display.lastPercent = -1;
    } else if (code == kProgressPageName) {
        printPageName(display.out, data != nullptr ? static_cast<const char*>(data) : "");
        display.lastPercent = -1;
    } else if (code == kProgressPercent && data != nullptr) {
        int32_t percent = 0;
        std::memcpy(&percent, data, sizeof percent);
        if (percent != display.lastPercent) {
            std::fprintf(display.out, "%3d%%\r", percent);
            display.lastPercent = percent;
        }
    }
    std::fflush(display.out);
    const bool stop = display.escape != nullptr && display.escape->escapePressed();
    return stop ? 0 : 1;
}

}  // namespace skerrit
