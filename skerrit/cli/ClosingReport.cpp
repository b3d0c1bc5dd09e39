// The closing lines of a conversion. The messages of the result codes are the program's own and
// stay exactly as they are; the reason and warning lines only follow them.
#include "cli/ClosingReport.h"

#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

std::string number(uint64_t value) {
    return std::to_string(value);
}

std::string resultMessage(const ConversionOutcome& outcome) {
    switch (outcome.result) {
        case kResultOk:
            return "Conversion successfully completed.\n";
        case kResultCanceled:
            return "Conversion canceled.\n";
        case kResultSourceOpenFailed:
            return "Error: Failed to open source file " + outcome.sourceName + "\n";
        case kResultDestinationOpenFailed:
            return "Error: Failed to open destination file " + outcome.destinationName + "\n";
        case kResultTempFileFailed:
            return "Error: Failed to open temporary file\n";
        case kResultPreprocessFailed:
            return "Error: Failed preprocessing step\n";
        case kResultConversionFailed:
            return "Error: Failed conversion step\n";
        default:
            return "Error: Unknown\n";
    }
}

// The reason a notice gives for a failure; empty for notices that are no failure.
std::string failureReason(const ConversionNotice& notice, const std::string& source) {
    switch (notice.kind) {
        case kNoticeTextTooLong:
            return source + ": the text to convert is " + number(notice.count) +
                   " bytes; one database holds at most " + number(notice.limit) + ".";
        case kNoticeTooManyRecords:
            return source + ": the pages need " + number(notice.count) +
                   " records of text, styles, links, rules and page boundaries; one database "
                   "holds at most " +
                   number(notice.limit) + ".";
        case kNoticeDocCompression:
            return source + ": not a Doc book that can be read: its compression field is " +
                   number(notice.count) + " (1 = stored, 2 = PalmDOC).";
        case kNoticeDocHeaderDamaged:
            return source + ": the Doc book's header or record list is damaged.";
        case kNoticeDocRecordDamaged:
            return source + ": text record " + number(notice.count) +
                   " of the Doc book is damaged or cannot be read.";
        default:
            return "";
    }
}

// What a limit left out of a successful conversion; empty for notices that are no warning.
std::string warning(const ConversionNotice& notice) {
    switch (notice.kind) {
        case kNoticePagesNotConverted:
            return number(notice.count) +
                   " queued page(s) not converted: one conversion takes at most " +
                   number(notice.limit) + " pages.";
        case kNoticeDeepLinksDropped:
            return number(notice.count) + " link(s) on pages deeper than " + number(notice.limit) +
                   " levels left out, and the pages only they lead to.";
        case kNoticeLinksUnresolved:
            return number(notice.count) + " link(s) to pages queued after the first " +
                   number(notice.limit) + " left out of the link table.";
        default:
            return "";
    }
}

std::string reasonLine(const ConversionOutcome& outcome) {
    for (const ConversionNotice& notice : outcome.notices) {
        const std::string reason = failureReason(notice, outcome.sourceName);
        if (!reason.empty())
            return "Reason: " + reason + "\n";
    }
    const SystemFailure& failure = outcome.systemFailure;
    if (!failure.happened)
        return "";
    if (failure.file.empty())
        return "Reason: " + failure.reason + "\n";
    return "Reason: " + failure.file + ": " + failure.reason + "\n";
}

}  // namespace

ExitStatus exitStatusFor(int32_t result) {
    switch (result) {
        case kResultOk:
            return kExitConverted;
        case kResultCanceled:
            return kExitCanceled;
        default:
            return kExitConversionFailed;
    }
}

std::string closingReport(const ConversionOutcome& outcome) {
    std::string report = resultMessage(outcome);
    if (outcome.result == kResultCanceled)
        return report;
    if (outcome.result != kResultOk)
        return report + reasonLine(outcome);
    for (const ConversionNotice& notice : outcome.notices) {
        const std::string line = warning(notice);
        if (!line.empty())
            report += "Warning: " + line + "\n";
    }
    return report;
}

}  // namespace skerrit
