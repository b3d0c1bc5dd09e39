// Feeds arbitrary bytes to the HTML reader as one page: every text run, tag and reference path
// runs over them, in collapsing and in preformatted mode, through a read-only in-memory file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/ConverterCallbacks.h"
#include "html/HtmlReader.h"
#include "html/PageInput.h"
#include "html/Tokenizer.h"

namespace {

using namespace skerrit;

struct MemoryPage {
    const uint8_t* data;
    uint32_t size;
    uint32_t position;
};

uint32_t seekPage(void* context, FileObject, int32_t offset, int32_t origin) {
    auto& page = *static_cast<MemoryPage*>(context);
    int64_t base =
        origin == kSeekFromStart ? 0 : (origin == kSeekFromEnd ? page.size : page.position);
    const int64_t target = base + offset;
    if (target < 0 || target > page.size)
        return kSeekFailed;
    page.position = static_cast<uint32_t>(target);
    return page.position;
}

int32_t readPage(void* context, FileObject, uint32_t count, void* buffer) {
    auto& page = *static_cast<MemoryPage*>(context);
    const uint32_t available = page.size - page.position;
    const uint32_t taken = count < available ? count : available;
    std::memcpy(buffer, page.data + page.position, taken);
    page.position += taken;
    return static_cast<int32_t>(taken);
}

void* allocateBlock(void*, uint32_t size) {
    return std::malloc(size);
}

int32_t releaseBlock(void*, void* block) {
    std::free(block);
    return 1;
}

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

void tokenizePage(const ConverterCallbacks& callbacks, bool preformatted) {
    HtmlReader* reader = createHtmlReader(callbacks);
    if (reader == nullptr)
        return;
    if (beginPage(*reader, callbacks.context, 0)) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20)
        return 0;
    MemoryPage page{data, static_cast<uint32_t>(size), 0};
    const ConverterCallbacks callbacks{&page,   nullptr, nullptr,        &seekPage,     &readPage,
                                       nullptr, nullptr, &allocateBlock, &releaseBlock, nullptr};
    tokenizePage(callbacks, false);
    tokenizePage(callbacks, true);
    return 0;
}
