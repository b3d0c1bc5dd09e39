// Feeds arbitrary bytes to the HTML reader as one page: the tokenizer alone in collapsing and
// preformatted mode, then the whole parse loop with every tag handler, writing text, style runs,
// blocks, anchors, links and frame pages to in-memory streams; then a whole conversion in which
// every page name opens the same bytes, down to link depth 1, with the section writers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/ConverterCallbacks.h"
#include "engine/HtmlJob.h"
#include "engine/ResultCodes.h"
#include "html/HtmlConversion.h"
#include "html/HtmlReader.h"
#include "html/PageInput.h"
#include "html/PageParser.h"
#include "html/Tokenizer.h"

namespace {

using namespace skerrit;

// A page (read-only, borrowed from the fuzzer) or a growing output stream.
struct MemoryFile {
    const uint8_t* page = nullptr;
    std::vector<uint8_t> bytes;
    uint32_t position = 0;

    uint32_t size() const {
        return page != nullptr ? pageSize : static_cast<uint32_t>(bytes.size());
    }
    uint32_t pageSize = 0;
};

MemoryFile& fileOf(FileObject file) {
    return *static_cast<MemoryFile*>(file);
}

uint32_t seekFile(void*, FileObject file, int32_t offset, int32_t origin) {
    MemoryFile& memory = fileOf(file);
    const int64_t base = origin == kSeekFromStart ? 0
                         : origin == kSeekFromEnd ? int64_t{memory.size()}
                                                  : int64_t{memory.position};
    const int64_t target = base + offset;
    if (target < 0 || target > int64_t{memory.size()})
        return kSeekFailed;
    memory.position = static_cast<uint32_t>(target);
    return memory.position;
}

int32_t readFile(void*, FileObject file, uint32_t count, void* buffer) {
    MemoryFile& memory = fileOf(file);
    const uint32_t available = memory.size() - memory.position;
    const uint32_t taken = count < available ? count : available;
    const uint8_t* source = memory.page != nullptr ? memory.page : memory.bytes.data();
    if (taken > 0)
        std::memcpy(buffer, source + memory.position, taken);
    memory.position += taken;
    return static_cast<int32_t>(taken);
}

int32_t writeFile(void*, FileObject file, uint32_t count, const void* buffer) {
    MemoryFile& memory = fileOf(file);
    if (memory.page != nullptr)
        return -1;
    const size_t end = size_t{memory.position} + count;
    if (memory.bytes.size() < end)
        memory.bytes.resize(end);
    if (count > 0)
        std::memcpy(memory.bytes.data() + memory.position, buffer, count);
    memory.position = static_cast<uint32_t>(end);
    return static_cast<int32_t>(count);
}

FileObject createTempFile(void*) {
    return new MemoryFile;
}

int32_t closeFile(void*, FileObject file) {
    delete static_cast<MemoryFile*>(file);
    return 1;
}

void* allocateBlock(void*, uint32_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

int32_t releaseBlock(void*, void* block) {
    std::free(block);
    return 1;
}

// Endless frames and link cycles are bounded by the page limit of a conversion, but 32000 pages
// are too slow for a fuzzer: the progress callback cancels after a few dozen pages instead.
constexpr int kPagesBeforeCancel = 12;
int pagesReported = 0;

int32_t countPages(void*, int32_t code, const void*) {
    if (code == kProgressPageName)
        ++pagesReported;
    return pagesReported < kPagesBeforeCancel ? 1 : 0;
}

const ConverterCallbacks kCallbacks{nullptr,       nullptr,    &closeFile,      &seekFile,
                                    &readFile,     &writeFile, &createTempFile, &allocateBlock,
                                    &releaseBlock, nullptr};
const ConverterCallbacks kCountingCallbacks{
    nullptr,    nullptr,         &closeFile,     &seekFile,     &readFile,
    &writeFile, &createTempFile, &allocateBlock, &releaseBlock, &countPages};

void checkTag(const HtmlReader& reader) {
    const TagBuffers& tag = reader.tag;
    if (std::memchr(tag.name.data(), 0, tag.name.size()) == nullptr)
        std::abort();
    if (tag.attributeCount > kMaxAttributes || tag.poolUsed > kAttributePoolSize)
        std::abort();
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        if (std::strlen(tag.attributes[i].name) > kAttributeNameMax)
            std::abort();
        if (std::strlen(tag.attributes[i].value) > kAttributeValueMax)
            std::abort();
    }
}

void tokenizePage(MemoryFile& page, bool preformatted) {
    HtmlReader* reader = createHtmlReader(kCallbacks);
    if (reader == nullptr)
        return;
    if (beginPage(*reader, &page, 0)) {
        uint8_t* run = reader->format.runBuffer.data();
        for (;;) {
            const TextRun result = preformatted ? readPreformattedRun(*reader, run, kRunBufferSize)
                                                : readTextRun(*reader, reader->format.lastWasSpace,
                                                              run, kRunBufferSize);
            if (result.length > kRunBufferSize)
                std::abort();
            if (result.ending == kEndOfInput)
                break;
            if (result.ending == '<') {
                readTag(*reader);
                checkTag(*reader);
            }
        }
    }
    destroyHtmlReader(reader);
}

void parseWholePage(MemoryFile& page) {
    HtmlReader* reader = createHtmlReader(kCallbacks);
    if (reader == nullptr)
        return;
    MemoryFile text, styles, blocks, queue, links;
    reader->streams = ReaderStreams{&styles, &links, &queue, &blocks, &text};
    std::strcpy(reader->links.pageName.data(), "C:\\site\\page.htm");
    std::strcpy(reader->links.baseUrl.data(), "C:\\site\\");
    if (beginPage(*reader, &page, 1)) {
        (void)parsePage(*reader);
        // Every byte counted in textPos reached the text stream, and the records are whole.
        if (text.bytes.size() != reader->format.textPos)
            std::abort();
        if (styles.bytes.size() % kStyleRunBytes != 0)
            std::abort();
        if (blocks.bytes.size() % kBlockRecordBytes != 0)
            std::abort();
    }
    destroyHtmlReader(reader);
}

// Every name opens a fresh view of the fuzzer's bytes, so links and frames lead to more pages.
struct SamePageOpener {
    const uint8_t* data;
    uint32_t size;
};

FileObject openSamePage(PageOpener* opener, const char*, int32_t) {
    const auto& same = *reinterpret_cast<SamePageOpener*>(opener);
    auto* page = new MemoryFile;
    page->page = same.data;
    page->pageSize = same.size;
    return page;
}

void closeSamePage(PageOpener*, FileObject file) {
    delete static_cast<MemoryFile*>(file);
}

void convertSite(const uint8_t* data, uint32_t size) {
    SamePageOpener opener{data, size};
    MemoryFile text, sectionData, sectionIndex;
    HtmlJob job{};
    job.openPage = &openSamePage;
    job.closePage = &closeSamePage;
    job.pageOpener = reinterpret_cast<PageOpener*>(&opener);
    job.callbacks = &kCountingCallbacks;
    pagesReported = 0;
    job.textStream = &text;
    job.sectionDataStream = &sectionData;
    job.sectionIndexStream = &sectionIndex;
    job.maxLinkDepth = 1;
    const int32_t result = convertHtml(job, "C:\\site\\page.htm");
    if (result == 1)
        return;  // canceled after kPagesBeforeCancel pages
    if (result != 0)
        std::abort();
    if (sectionIndex.bytes.size() / 4 !=
        static_cast<size_t>(job.boundaryFirst) + static_cast<size_t>(job.boundaryCount)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20)
        return 0;
    MemoryFile page;
    page.page = data;
    page.pageSize = static_cast<uint32_t>(size);
    tokenizePage(page, false);
    tokenizePage(page, true);
    parseWholePage(page);
    if (size <= 1u << 16)
        convertSite(data, static_cast<uint32_t>(size));
    return 0;
}
