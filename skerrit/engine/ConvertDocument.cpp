// convertDocument: the one place that owns the six files of a conversion. Every step below
// returns a result code; whatever happens, the clean-up at the end closes the four temporary
// streams, the destination and the source in that order. The engine never deletes the
// destination: what becomes of a destination whose conversion failed is the callbacks' business
// (the console program writes it under a temporary name and keeps it only after success). Limits
// of the database are checked before the text is prepared or compressed, so a text that cannot
// fit is refused early, with a notice naming the limit.
#include "engine/ConvertDocument.h"

#include <array>
#include <cstddef>

#include "encoder/DatabaseLayout.h"
#include "encoder/DatabaseWriter.h"
#include "encoder/DocReader.h"
#include "encoder/TextLimit.h"
#include "encoder/TextPreparer.h"
#include "engine/ConversionNotice.h"
#include "engine/PageOpener.h"
#include "engine/ResultCodes.h"
#include "html/HtmlConversion.h"

namespace skerrit {

namespace {

enum TempStream : std::size_t { kTextStream, kScratchStream, kSectionData, kSectionIndex };
constexpr std::size_t kTempStreamCount = 4;

// Announces a step; false when the user asked to stop.
bool announceStep(const ConverterCallbacks& callbacks, ProgressCode code) {
    if (callbacks.progress == nullptr)
        return true;
    return callbacks.progress(callbacks.context, code, nullptr) != 0;
}

int32_t htmlAnswerToResult(int32_t answer) {
    switch (answer) {
        case 1:
            return kResultCanceled;
        case 2:
            return kResultConversionFailed;
        default:
            return kResultOk;
    }
}

using TempStreams = std::array<FileObject, kTempStreamCount>;

// An HTML document's text part and extra records together must stay within the record indexes
// the reader can reach; checked before the text is compressed.
int32_t checkHtmlRecordsFit(const ConverterCallbacks& callbacks, FileObject textStream,
                            uint32_t extraRecordCount) {
    const uint32_t textLength = callbacks.seekFile(callbacks.context, textStream, 0, kSeekFromEnd);
    if (textLength == kSeekFailed)
        return kResultConversionFailed;
    // An empty text is written as one line feed.
    const uint64_t records =
        textPartRecordCount(textLength == 0 ? 1 : textLength, kTextChunkSize, kChunksPerCodeTable) +
        extraRecordCount;
    if (records <= kMaxHtmlRecordCount)
        return kResultOk;
    reportNotice(callbacks, kNoticeTooManyRecords, records, kMaxHtmlRecordCount);
    return kResultConversionFailed;
}

// Everything between "all six files are open" and the clean-up.
int32_t runConversionSteps(const ConversionRequest& request, const HtmlConverter* html,
                           FileObject source, FileObject destination, const TempStreams& temp) {
    const ConverterCallbacks& callbacks = *request.callbacks;
    PageOpener opener = makePageOpener(request, source);
    HtmlJob job{};
    uint32_t extraRecordCount = 0;
    bool sourceIsHtml = false;
    int32_t result = kResultOk;

    // A Doc database is recognised before any HTML test, so a Doc book whose text is full of
    // tags is still read as a Doc book.
    if (isDocDatabase(callbacks, source)) {
        if (!announceStep(callbacks, kProgressDocPreprocess))
            return kResultCanceled;
        result = checkPreparedTextFits(request, source, SourceKind::kDocBook);
        if (result == kResultOk)
            result = prepareDoc(request, source, temp[kTextStream]);
    } else if (html != nullptr && html->isHtmlFile(callbacks, source) != 0) {
        sourceIsHtml = true;
        job.openPage = &openPage;
        job.closePage = &closePage;
        job.pageOpener = &opener;
        job.callbacks = &callbacks;
        job.textStream = temp[kTextStream];
        job.sectionDataStream = temp[kSectionData];
        job.sectionIndexStream = temp[kSectionIndex];
        job.maxLinkDepth = request.maxLinkDepth;
        result = htmlAnswerToResult(html->convertHtml(job, request.sourcePath));
        if (result == kResultOk) {
            const uint32_t indexSize =
                callbacks.seekFile(callbacks.context, temp[kSectionIndex], 0, kSeekFromEnd);
            if (indexSize == kSeekFailed)
                return kResultConversionFailed;
            extraRecordCount = indexSize / 4;
            result = checkHtmlRecordsFit(callbacks, temp[kTextStream], extraRecordCount);
        }
    } else {
        if (!announceStep(callbacks, kProgressTextPreprocess))
            return kResultCanceled;
        result = checkPreparedTextFits(request, source, SourceKind::kPlainText);
        if (result == kResultOk)
            result = prepareText(request, source, temp[kTextStream]);
    }
    if (result != kResultOk)
        return result;

    if (!announceStep(callbacks, sourceIsHtml ? kProgressHtmlCompress : kProgressTextCompress)) {
        return kResultCanceled;
    }
    result = writeDatabase(callbacks, temp[kTextStream], temp[kScratchStream], destination,
                           request.title, kTextChunkSize, kChunksPerCodeTable, extraRecordCount);
    if (result == kResultOk && sourceIsHtml) {
        result = appendExtraRecords(callbacks, temp[kSectionData], temp[kSectionIndex], destination,
                                    extraRecordCount, job);
    }
    if (result != kResultOk)
        return result;
    return finishHeaderRecord(callbacks, destination);
}

}  // namespace

const HtmlConverter* builtInHtmlConverter() {
    static constexpr HtmlConverter kHtmlReader{&isHtmlFile, &convertHtml};
    return &kHtmlReader;
}

int32_t convertDocument(const ConversionRequest& request) {
    return convertDocumentWith(request, builtInHtmlConverter());
}

int32_t convertDocumentWith(const ConversionRequest& request, const HtmlConverter* html) {
    const ConverterCallbacks& callbacks = *request.callbacks;
    void* const context = callbacks.context;

    FileObject source = callbacks.openFile(context, request.sourcePath, kOpenRead);
    if (source == nullptr)
        return kResultSourceOpenFailed;
    FileObject destination = callbacks.openFile(context, request.destinationPath, kOpenCreate);
    if (destination == nullptr) {
        static_cast<void>(callbacks.closeFile(context, source));
        return kResultDestinationOpenFailed;
    }

    TempStreams temp{};
    int32_t result = kResultOk;
    for (FileObject& stream : temp) {
        stream = callbacks.createTempFile(context);
        if (stream == nullptr) {
            result = kResultTempFileFailed;
            break;
        }
    }
    if (result == kResultOk)
        result = runConversionSteps(request, html, source, destination, temp);

    // Latest first; streams never created are null and skipped.
    for (auto stream = temp.rbegin(); stream != temp.rend(); ++stream) {
        if (*stream != nullptr)
            static_cast<void>(callbacks.closeFile(context, *stream));
    }
    static_cast<void>(callbacks.closeFile(context, destination));
    static_cast<void>(callbacks.closeFile(context, source));
    return result;
}

}  // namespace skerrit
