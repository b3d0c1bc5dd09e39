// Buffered page input: refill, push-back and the small scanning loops the tokenizer is built on.
#include "html/PageInput.h"

#include <cstddef>
#include <cstring>

namespace skerrit {

namespace {
// The buffer is empty at `position`: the next read seeks there and fetches a fresh buffer.
void emptyBufferAt(PageInput& input, uint32_t position) {
    input.position = position;
    input.index = 0;
    input.count = 0;
}

[[nodiscard]] bool isDelimiter(const char* delimiters, int32_t byte) {
    return byte != 0 && std::strchr(delimiters, byte) != nullptr;
}
}  // namespace

bool refillPageBuffer(HtmlReader& reader) {
    PageInput& input = reader.input;
    const uint32_t next = input.position + input.count;
    // At the end the buffer is kept, so that bytes can still be pushed back.
    if (next >= input.size)
        return false;
    // After a cancel the page only reports its end; the user is not asked again.
    if (input.progressStop != 0)
        return false;
    const ConverterCallbacks& callbacks = *reader.callbacks;
    // On any failure below the buffer is left empty at `next` rather than holding bytes of the
    // previous offset, so a later push-back re-reads the right bytes instead of stale ones.
    emptyBufferAt(input, next);
    if (callbacks.seekFile(callbacks.context, input.file, static_cast<int32_t>(next),
                           kSeekFromStart) != next) {
        return false;
    }
    if (input.progressHook != nullptr &&
        !input.progressHook(input.hookArgument, next, input.size)) {
        input.progressStop = 1;
        return false;
    }
    const uint32_t remaining = input.size - next;
    const uint32_t wanted = remaining < kPageBufferSize ? remaining : kPageBufferSize;
    const int32_t got =
        callbacks.readFile(callbacks.context, input.file, wanted, input.buffer.data());
    if (got < 0 || static_cast<uint32_t>(got) != wanted)
        return false;
    input.count = wanted;
    return true;
}

void unreadBytes(HtmlReader& reader, uint32_t n) {
    PageInput& input = reader.input;
    if (n <= input.index) {
        input.index -= n;
        return;
    }
    const uint32_t beforeBuffer = n - input.index;
    if (beforeBuffer <= input.position)
        emptyBufferAt(input, input.position - beforeBuffer);
}

int32_t skipSpaces(HtmlReader& reader) {
    for (;;) {
        const int32_t byte = readByte(reader);
        if (!isHtmlSpace(byte))
            return byte;
    }
}

int32_t readUntilAny(HtmlReader& reader, const char* delimiters, char* out, uint32_t max) {
    uint32_t stored = 0;
    int32_t byte = readByte(reader);
    while (byte != kEndOfInput && !isHtmlSpace(byte) && !isDelimiter(delimiters, byte)) {
        if (stored < max)
            out[stored++] = static_cast<char>(byte);
        byte = readByte(reader);
    }
    out[stored] = '\0';
    return byte;
}

int32_t readUntilByte(HtmlReader& reader, int32_t stop, char* out, uint32_t max) {
    uint32_t stored = 0;
    int32_t byte = readByte(reader);
    while (byte != kEndOfInput && byte != stop) {
        if (stored < max)
            out[stored++] = static_cast<char>(byte);
        byte = readByte(reader);
    }
    out[stored] = '\0';
    return byte;
}

}  // namespace skerrit
