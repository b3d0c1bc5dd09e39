// Life of an HtmlReader: allocation through the callbacks, the values at the start of a
// conversion, the per-page set-up, and the page progress hook.
#include "html/HtmlReader.h"

#include <new>

#include "engine/ResultCodes.h"
#include "html/ElementStack.h"

namespace skerrit {

HtmlReader* createHtmlReader(const ConverterCallbacks& callbacks) {
    void* readerBlock = callbacks.allocate(callbacks.context, sizeof(HtmlReader));
    if (readerBlock == nullptr)
        return nullptr;
    void* stackBlock = callbacks.allocate(callbacks.context, sizeof(ElementStack));
    if (stackBlock == nullptr) {
        callbacks.release(callbacks.context, readerBlock);
        return nullptr;
    }
    auto* reader = new (readerBlock) HtmlReader{};
    reader->callbacks = &callbacks;
    reader->format.elements = new (stackBlock) ElementStack{};
    initialiseReader(*reader);
    return reader;
}

void destroyHtmlReader(HtmlReader* reader) {
    if (reader == nullptr)
        return;
    const ConverterCallbacks& callbacks = *reader->callbacks;
    if (reader->format.elements != nullptr) {
        callbacks.release(callbacks.context, reader->format.elements);
    }
    callbacks.release(callbacks.context, reader);
}

void initialiseReader(HtmlReader& reader) {
    const ConverterCallbacks* callbacks = reader.callbacks;
    ElementStack* elements = reader.format.elements;
    reader = HtmlReader{};
    reader.callbacks = callbacks;
    reader.format.elements = elements;
    if (elements != nullptr)
        emptyStack(*elements);
    reader.format.lastWasSpace = 1;
    reader.format.trailingNewlines = 1;
    reader.links.linkStart = kNone;
    reader.links.lastAnchorPos = kNone;
    reader.links.lastAnchorRef = kNone;
    reader.links.queue = PageQueueState{};
}

bool beginPage(HtmlReader& reader, FileObject file, uint16_t depth) {
    const ConverterCallbacks& callbacks = *reader.callbacks;
    PageInput& input = reader.input;
    input.file = file;
    input.size = callbacks.seekFile(callbacks.context, file, 0, kSeekFromEnd);
    input.position = 0;
    input.index = 0;
    input.count = 0;
    if (input.size == kSeekFailed)
        return false;

    emptyStack(*reader.format.elements);
    reader.format.lastWasSpace = 1;
    reader.format.breakRequested = 0;
    reader.format.pendingNewlines = 0;
    reader.format.trailingNewlines = 1;
    // Every page ends with its text written out, so nothing waiting is lost here.
    reader.format.outputCount = 0;
    reader.links.linkStart = kNone;
    reader.links.lastAnchorPos = kNone;
    reader.links.pageDepth = depth;
    reader.links.queue.pageStartPos = reader.format.textPos;
    reader.tables.tableDepth = 0;
    return true;
}

LinkStore linkStoreOf(HtmlReader& reader) {
    return LinkStore{reader.callbacks, reader.streams.pageQueueStream, reader.streams.linkStream,
                     &reader.links.queue};
}

CurrentPage currentPageOf(const HtmlReader& reader) {
    return CurrentPage{reader.links.pageName.data(), reader.links.baseUrl.data(),
                       reader.links.pageDepth};
}

bool reportPageProgress(void* argument, uint32_t position, uint32_t size) {
    const auto& callbacks = *static_cast<const ConverterCallbacks*>(argument);
    if (callbacks.progress == nullptr)
        return true;
    // Widened so that pages above 42 MB do not wrap the product into a wrong percentage.
    const int32_t percent =
        size == 0 ? 100 : static_cast<int32_t>(uint64_t{position} * 100u / size);
    return callbacks.progress(callbacks.context, kProgressPercent, &percent) != 0;
}

}  // namespace skerrit
