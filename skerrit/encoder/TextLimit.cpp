// The text-length check of plain-text and Doc input. Counting runs the real preparation with a
// null text stream, so the count follows every option exactly as the conversion will; the
// progress slot is taken away for it so the console shows the preparation's percentages once.
#include "encoder/TextLimit.h"

#include <algorithm>

#include "encoder/DatabaseWriter.h"
#include "encoder/DocReader.h"
#include "encoder/TextPreparer.h"
#include "engine/ConversionNotice.h"
#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

// A PalmDOC back reference takes two bytes and copies up to ten.
constexpr uint64_t kMaxDocGrowth = 5;

uint64_t optionCount(int32_t option) {
    return option == kNotSet || option < 0 ? 0 : static_cast<uint64_t>(option);
}

}  // namespace

uint64_t preparedGrowthPerByte(const ConversionRequest& request) {
    // Tabs are expanded inside text in the single-break mode as well.
    return std::max({uint64_t{1}, optionCount(request.tabLineBreaks),
                     optionCount(request.tabSpaces), optionCount(request.singleBreakSpaces)});
}

uint64_t preparedTextBound(const ConversionRequest& request, SourceKind kind, uint64_t sourceSize) {
    const uint64_t decoded = kind == SourceKind::kDocBook ? sourceSize * kMaxDocGrowth : sourceSize;
    return decoded * preparedGrowthPerByte(request);
}

int32_t checkPreparedTextFits(const ConversionRequest& request, FileObject source,
                              SourceKind kind) {
    const ConverterCallbacks& callbacks = *request.callbacks;
    const uint32_t size = callbacks.seekFile(callbacks.context, source, 0, kSeekFromEnd);
    if (size == kSeekFailed || preparedTextBound(request, kind, size) <= kMaxTextLength)
        return kResultOk;

    ConverterCallbacks quiet = callbacks;
    quiet.progress = nullptr;
    ConversionRequest counting = request;
    counting.callbacks = &quiet;
    uint64_t length = 0;
    const int32_t counted = kind == SourceKind::kDocBook
                                ? prepareDoc(counting, source, nullptr, &length)
                                : prepareText(counting, source, nullptr, &length);
    if (counted != kResultOk || length <= kMaxTextLength)
        return kResultOk;
    reportNotice(callbacks, kNoticeTextTooLong, length, kMaxTextLength);
    return kResultPreprocessFailed;
}

}  // namespace skerrit
