// The HTML conversion driver and page loop, and the two scans that look at a file's first tags.
#include "html/HtmlConversion.h"

#include <cstring>

#include "engine/ConversionNotice.h"
#include "engine/ResultCodes.h"
#include "html/HtmlReader.h"
#include "html/PageInput.h"
#include "html/PageParser.h"
#include "html/TagTables.h"
#include "html/Tokenizer.h"
#include "htmldoc/DocumentSections.h"
#include "htmldoc/LinkRecorder.h"
#include "htmldoc/LinkResolution.h"
#include "htmldoc/PageQueue.h"
#include "htmldoc/PathRules.h"

namespace skerrit {

namespace {

constexpr int32_t kConverted = 0;
constexpr int32_t kCanceled = 1;
constexpr int32_t kFailed = 2;

// Pages taken from the queue in one conversion, opened or not: bounds pages that link to each
// other endlessly.
constexpr uint32_t kMaxPages = 32000;
// The scans of isHtmlFile and readHtmlTitle give up after this many tags or bytes.
constexpr uint32_t kDetectionSteps = 20000;
constexpr uint32_t kTitleSteps = 4096;

[[nodiscard]] bool reportProgress(const ConverterCallbacks& callbacks, int32_t code,
                                  const void* data) {
    return callbacks.progress == nullptr || callbacks.progress(callbacks.context, code, data) != 0;
}

[[nodiscard]] bool reportPercent(const ConverterCallbacks& callbacks, int32_t percent) {
    return reportProgress(callbacks, kProgressPercent, &percent);
}

// Everything convertHtml acquires, released in reverse order on every path.
class HtmlConversion {
  public:
    explicit HtmlConversion(HtmlJob& job) : job_(job), callbacks_(*job.callbacks) {}
    ~HtmlConversion() {
        if (pageFile_ != nullptr)
            job_.closePage(job_.pageOpener, pageFile_);
        if (pageTable_ != nullptr)
            callbacks_.release(callbacks_.context, pageTable_);
        destroyHtmlReader(reader_);
        for (FileObject stream : {blockStream_, pageQueueStream_, linkStream_, styleRunStream_}) {
            if (stream != nullptr)
                callbacks_.closeFile(callbacks_.context, stream);
        }
    }
    HtmlConversion(const HtmlConversion&) = delete;
    HtmlConversion& operator=(const HtmlConversion&) = delete;

    int32_t run(const char* startName);

  private:
    [[nodiscard]] bool acquire();
    // kConverted when the page loop ended normally, else the result to return.
    int32_t convertPages(const char* startName);
    int32_t convertPage(uint32_t pageRef, const char* name, uint16_t depth, bool& failed);
    int32_t writeSections();
    [[nodiscard]] bool isBeyondDepth(uint16_t depth) const {
        return job_.maxLinkDepth >= 0 && depth > job_.maxLinkDepth;
    }
    [[nodiscard]] bool countPagesLeft(const LinkStore& store, uint32_t cursor, uint16_t depth);
    void reportLimitsReached();
    FileObject createStream() { return callbacks_.createTempFile(callbacks_.context); }

    HtmlJob& job_;
    const ConverterCallbacks& callbacks_;
    FileObject styleRunStream_ = nullptr;
    FileObject linkStream_ = nullptr;
    FileObject pageQueueStream_ = nullptr;
    FileObject blockStream_ = nullptr;
    HtmlReader* reader_ = nullptr;
    // The table of queued pages, kept from page to page so that looking up link targets does not
    // read the whole queue again after every page.
    void* pageTable_ = nullptr;
    FileObject pageFile_ = nullptr;
    uint32_t pagesTaken_ = 0;  // opened or not
    // Queued pages the page limit kept from being converted.
    uint32_t pagesLeft_ = 0;
};

bool HtmlConversion::acquire() {
    if ((styleRunStream_ = createStream()) == nullptr)
        return false;
    if ((linkStream_ = createStream()) == nullptr)
        return false;
    if ((pageQueueStream_ = createStream()) == nullptr)
        return false;
    if ((blockStream_ = createStream()) == nullptr)
        return false;
    reader_ = createHtmlReader(callbacks_);
    if (reader_ == nullptr)
        return false;
    pageTable_ = callbacks_.allocate(callbacks_.context, kPageTableBytes);
    if (pageTable_ == nullptr)
        return false;
    reader_->links.queue.pageTable = static_cast<PageTableEntry*>(pageTable_);
    if (callbacks_.progress != nullptr) {
        reader_->input.progressHook = &reportPageProgress;
        reader_->input.hookArgument = const_cast<ConverterCallbacks*>(&callbacks_);
    }
    reader_->streams = ReaderStreams{styleRunStream_, linkStream_, pageQueueStream_, blockStream_,
                                     job_.textStream};
    return true;
}

int32_t HtmlConversion::run(const char* startName) {
    if (!reportProgress(callbacks_, kProgressHtmlParse, nullptr))
        return kCanceled;
    if (!acquire())
        return kFailed;
    const int32_t pages = convertPages(startName);
    if (pages != kConverted)
        return pages;
    if (!reportProgress(callbacks_, kProgressHtmlFormat, nullptr) ||
        !reportPercent(callbacks_, 5)) {
        return kCanceled;
    }
    if (resolveAllLinks(linkStoreOf(*reader_)) == 0)
        return kFailed;
    const int32_t sections = writeSections();
    if (sections == kConverted)
        reportLimitsReached();
    return sections;
}

void HtmlConversion::reportLimitsReached() {
    const PageQueueState& queue = reader_->links.queue;
    if (pagesLeft_ > 0)
        reportNotice(callbacks_, kNoticePagesNotConverted, pagesLeft_, kMaxPages);
    if (queue.linksTooDeep > 0)
        reportNotice(callbacks_, kNoticeDeepLinksDropped, queue.linksTooDeep, kMaxLinkPageDepth);
    // The names a full table could not take in were queued after its pages; when no page beyond
    // those was converted, the links to them would have had no target anyway.
    if (queue.linksPastPageTable > 0 && pagesTaken_ > kPageTableCapacity) {
        reportNotice(callbacks_, kNoticeLinksUnresolved, queue.linksPastPageTable,
                     kPageTableCapacity);
    }
}

// The page at the cursor and the ones queued after it that the loop would still have taken:
// up to the end of the queue or the first page beyond the depth limit.
bool HtmlConversion::countPagesLeft(const LinkStore& store, uint32_t cursor, uint16_t depth) {
    while (cursor != kNone && !isBeyondDepth(depth)) {
        pagesLeft_ += 1;
        char name[kPageNameBufferSize];
        if (nextPage(store, cursor, depth, name, sizeof name) == 0)
            return false;
    }
    return true;
}

int32_t HtmlConversion::convertPages(const char* startName) {
    const LinkStore store = linkStoreOf(*reader_);
    if (enqueuePage(store, 0, startName) == 0)
        return kFailed;
    uint32_t cursor = kNone;
    for (;; ++pagesTaken_) {
        char name[kPageNameBufferSize];
        uint16_t depth = 0;
        if (nextPage(store, cursor, depth, name, sizeof name) == 0)
            return kFailed;
        if (cursor == kNone)
            break;  // the queue is exhausted
        // Pages are queued breadth first, so no later page is shallower than this one.
        if (isBeyondDepth(depth))
            break;
        if (pagesTaken_ == kMaxPages)
            return countPagesLeft(store, cursor, depth) ? kConverted : kFailed;
        bool failed = false;
        const int32_t page = convertPage(cursor, name, depth, failed);
        if (failed || page != kConverted)
            return failed ? kFailed : page;
    }
    return kConverted;
}

int32_t HtmlConversion::convertPage(uint32_t pageRef, const char* name, uint16_t depth,
                                    bool& failed) {
    pageFile_ = job_.openPage(job_.pageOpener, name, depth);
    if (pageFile_ == nullptr)
        return kConverted;  // skipped without a word
    if (!reportProgress(callbacks_, kProgressPageName, name))
        return kCanceled;

    HtmlReader& reader = *reader_;
    if (!beginPage(reader, pageFile_, depth)) {
        failed = true;
        return kFailed;
    }
    directoryPart(name, reader.links.baseUrl.data());
    std::strncpy(reader.links.pageName.data(), name, kPathFieldSize - 1);
    reader.links.pageName[kPathFieldSize - 1] = '\0';

    const LinkStore store = linkStoreOf(reader);
    if (beginPageLinks(store, pageRef, reader.format.textPos) == 0) {
        failed = true;
        return kFailed;
    }
    (void)parsePage(reader);
    // A cancel during the page ends its input first; the steps after the page are not run.
    if (reader.input.progressStop != 0)
        return reader.input.progressStop;

    job_.closePage(job_.pageOpener, pageFile_);
    pageFile_ = nullptr;
    reader.input.file = nullptr;
    if (!reportPercent(callbacks_, 100))
        return kCanceled;

    if (endPageLinks(store) == 0 || resolveLocalLinks(store) == 0 ||
        queueLinkedPages(store, reader.links.pageDepth) == 0) {
        failed = true;
        return kFailed;
    }
    return kConverted;
}

int32_t HtmlConversion::writeSections() {
    const SectionOutput output{&callbacks_, job_.sectionDataStream, job_.sectionIndexStream};
    int32_t first = 0;
    int32_t count = 0;

    if (!reportPercent(callbacks_, 20))
        return kCanceled;
    if (writeStyleRuns(output, styleRunStream_, count) == 0)
        return kFailed;
    job_.styleFirst = first;
    job_.styleCount = count;
    first += count;

    if (!reportPercent(callbacks_, 40))
        return kCanceled;
    count = 0;
    if (writeLinkTable(output, linkStream_, count) == 0)
        return kFailed;
    job_.linkFirst = first;
    job_.linkCount = count;
    first += count;

    if (!reportPercent(callbacks_, 60))
        return kCanceled;
    count = 0;
    if (writeRuleTable(output, blockStream_, count) == 0)
        return kFailed;
    job_.ruleFirst = first;
    job_.ruleCount = count;
    first += count;

    if (!reportPercent(callbacks_, 80))
        return kCanceled;
    count = 0;
    if (writeFileBoundaries(output, blockStream_, count, job_.textFileCount) == 0)
        return kFailed;
    if (!reportPercent(callbacks_, 100))
        return kCanceled;
    job_.boundaryFirst = first;
    job_.boundaryCount = count;
    return kConverted;
}

// A reader set up on an open file for one of the scans: no hook, no streams.
class ScanReader {
  public:
    ScanReader(const ConverterCallbacks& callbacks, FileObject file)
        : reader_(createHtmlReader(callbacks)) {
        if (reader_ != nullptr && !beginPage(*reader_, file, 0)) {
            destroyHtmlReader(reader_);
            reader_ = nullptr;
        }
    }
    ~ScanReader() { destroyHtmlReader(reader_); }
    ScanReader(const ScanReader&) = delete;
    ScanReader& operator=(const ScanReader&) = delete;

    HtmlReader* get() { return reader_; }

  private:
    HtmlReader* reader_;
};

[[nodiscard]] bool hasAttribute(const HtmlReader& reader, int32_t attrId) {
    for (uint32_t i = 0; i < reader.tag.attributeCount; ++i) {
        if (lookupAttribute(reader.tag.attributes[i].name) == attrId)
            return true;
    }
    return false;
}

// Reads the title text after a TITLE start tag: one collapsed run without leading or trailing
// space, at most 255 characters.
void readTitleText(HtmlReader& reader) {
    uint32_t spaceState = 1;
    auto* title = reinterpret_cast<uint8_t*>(reader.title.data());
    const TextRun text = readTextRun(reader, spaceState, title, kTitleSize);
    uint32_t length = text.length;
    if (length > 0 && title[length - 1] == ' ') {
        --length;
    } else if (length > kTitleSize - 1) {
        length = kTitleSize - 1;
    }
    reader.title[length] = '\0';
}

}  // namespace

int32_t convertHtml(HtmlJob& job, const char* startName) {
    HtmlConversion conversion(job);
    return conversion.run(startName);
}

int32_t isHtmlFile(const ConverterCallbacks& callbacks, FileObject file) {
    ScanReader scan(callbacks, file);
    if (scan.get() == nullptr)
        return 0;
    HtmlReader& reader = *scan.get();
    int32_t found = 0;
    for (uint32_t step = 0; step < kDetectionSteps; ++step) {
        if (skipSpaces(reader) != '<')
            break;
        readTag(reader);
        const char* name = reader.tag.name.data();
        const TagLookup tag = lookupTag(name);
        if (tag.id == kTagHtml && !tag.isEnd) {
            found = 1;
            continue;
        }
        if (name[0] != '!')
            break;
        // Comments and other declarations may come before the document type.
        if (compareFolded(name + 1, "DOCTYPE") == 0 && hasAttribute(reader, kAttrHtml)) {
            found = 1;
            break;
        }
    }
    return found;
}

int32_t readHtmlTitle(const ConverterCallbacks& callbacks, const char* path, char* out,
                      int32_t max) {
    FileObject file = callbacks.openFile(callbacks.context, path, kOpenRead);
    if (file == nullptr)
        return 0;
    int32_t result = 0;
    {
        ScanReader scan(callbacks, file);
        if (scan.get() != nullptr) {
            HtmlReader& reader = *scan.get();
            out[0] = '\0';
            for (uint32_t step = 0; step < kTitleSteps; ++step) {
                const int32_t byte = skipSpaces(reader);
                if (byte == kEndOfInput)
                    break;
                if (byte != '<')
                    continue;
                readTag(reader);
                const TagLookup tag = lookupTag(reader.tag.name.data());
                if (tag.id == kTagHead && tag.isEnd) {
                    result = 1;  // the head ended without a title
                    break;
                }
                if (tag.id == kTagTitle && !tag.isEnd) {
                    readTitleText(reader);
                    const size_t limit = max > 0 ? static_cast<size_t>(max) : 0;
                    const size_t length = std::strlen(reader.title.data());
                    const size_t copied = length < limit ? length : limit;
                    std::memcpy(out, reader.title.data(), copied);
                    out[copied] = '\0';
                    result = 1;
                    break;
                }
            }
        }
    }
    callbacks.closeFile(callbacks.context, file);
    return result;
}

}  // namespace skerrit
