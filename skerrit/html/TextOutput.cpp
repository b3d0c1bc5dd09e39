// Text, style runs and block records of the formatted text model, written through the callbacks.
#include "html/TextOutput.h"

#include <array>
#include <cstring>

#include "engine/ByteOrder.h"
#include "html/StyleComputation.h"
#include "htmldoc/AnchorTable.h"

namespace skerrit {

namespace {

// A failed write is also remembered for the whole page: the parse goes on or ends early, but the
// stream has lost bytes, so the page loop fails the conversion once the page is over.
[[nodiscard]] bool writeAll(HtmlReader& reader, FileObject stream, const uint8_t* bytes,
                            uint32_t n) {
    const ConverterCallbacks& callbacks = *reader.callbacks;
    const int32_t written = callbacks.writeFile(callbacks.context, stream, n, bytes);
    if (written >= 0 && static_cast<uint32_t>(written) == n)
        return true;
    reader.links.queue.streamFailed = true;
    return false;
}

void storeSigned(uint8_t* out, int32_t value) {
    storeLittleEndian32(out, static_cast<uint32_t>(value));
}

}  // namespace

bool flushText(HtmlReader& reader) {
    FormattingState& format = reader.format;
    if (format.outputCount == 0)
        return true;
    if (reader.streams.textStream != nullptr &&
        !writeAll(reader, reader.streams.textStream, format.outputBuffer.data(),
                  format.outputCount)) {
        return false;  // the text stays buffered
    }
    format.outputCount = 0;
    return true;
}

bool appendText(HtmlReader& reader, const uint8_t* bytes, uint32_t n) {
    FormattingState& format = reader.format;
    if (n > kOutputBufferSize)
        return false;
    if (format.outputCount + n > kOutputBufferSize && !flushText(reader))
        return false;
    std::memcpy(format.outputBuffer.data() + format.outputCount, bytes, n);
    format.outputCount = static_cast<uint16_t>(format.outputCount + n);
    format.textPos += n;
    for (uint32_t i = 0; i < n; ++i) {
        if (bytes[i] != '\n') {
            format.trailingNewlines = 0;
        } else if (format.trailingNewlines < UINT16_MAX) {
            // Saturates: a page of 65536 line feeds must not look like one that ends in text.
            ++format.trailingNewlines;
        }
    }
    return true;
}

bool appendRepeated(HtmlReader& reader, uint8_t byte, uint32_t n) {
    FormattingState& format = reader.format;
    while (n > 0) {
        if (format.outputCount == kOutputBufferSize && !flushText(reader))
            return false;
        const uint32_t room = kOutputBufferSize - format.outputCount;
        const uint32_t taken = n < room ? n : room;
        std::memset(format.outputBuffer.data() + format.outputCount, byte, taken);
        format.outputCount = static_cast<uint16_t>(format.outputCount + taken);
        format.textPos += taken;
        n -= taken;
    }
    return true;
}

void breakLine(HtmlReader& reader) {
    FormattingState& format = reader.format;
    if (format.breakRequested == 0) {
        format.breakRequested = 1;
        if (format.trailingNewlines == 0 && format.pendingNewlines == 0)
            format.pendingNewlines = 1;
    }
    format.lastWasSpace = 1;
}

void breakParagraph(HtmlReader& reader) {
    FormattingState& format = reader.format;
    format.breakRequested = 1;
    const auto owed = static_cast<uint16_t>(format.trailingNewlines + format.pendingNewlines);
    if (owed < 2)
        format.pendingNewlines += 2u - owed;
    format.lastWasSpace = 1;
}

void forceLineBreak(HtmlReader& reader) {
    FormattingState& format = reader.format;
    if (format.breakRequested == 0) {
        format.breakRequested = 1;
        ++format.pendingNewlines;
    }
    format.lastWasSpace = 1;
}

void endBlock(HtmlReader& reader) {
    FormattingState& format = reader.format;
    format.breakRequested = 1;
    if (format.pendingNewlines < 2)
        format.pendingNewlines = 2;
    format.lastWasSpace = 1;
}

bool flushBreaks(HtmlReader& reader) {
    FormattingState& format = reader.format;
    if (format.pendingNewlines != 0) {
        if (!appendRepeated(reader, '\n', format.pendingNewlines))
            return false;
        format.breakRequested = 0;
        format.pendingNewlines = 0;
    }
    format.lastWasSpace = 1;
    return true;
}

bool flushPending(HtmlReader& reader, TextStyle& current) {
    FormattingState& format = reader.format;
    LinkState& links = reader.links;
    const TextStyle computed = computeStyle(*format.elements);
    bool changed = !sameStyle(current, computed);
    if (changed)
        current = computed;

    if (format.pendingNewlines != 0) {
        // The item-start mark ends with the item's first text; the line feeds after it already
        // belong to the plain style.
        if (changed && current.itemStart == 0 && format.lastItemStart == 1) {
            format.lastItemStart = 0;
            if (!writeStyleRun(reader, format.textPos, current))
                return false;
            changed = false;
        }
        // An anchor with no text after it yet points at the text after the line feeds.
        if (links.lastAnchorRef != kNone && links.lastAnchorPos == format.textPos) {
            if (moveAnchor(linkStoreOf(reader), links.lastAnchorRef,
                           links.lastAnchorPos + format.pendingNewlines) == 0) {
                return false;
            }
            links.lastAnchorRef = kNone;
        }
        const uint32_t beforeLineFeeds = format.textPos;
        if (!appendRepeated(reader, '\n', format.pendingNewlines))
            return false;
        format.breakRequested = 0;
        format.pendingNewlines = 0;
        // A link never begins with line feeds. One that already covers text keeps its start:
        // moving it would unlink the text before the break.
        if (links.linkStart != kNone && links.linkStart == beforeLineFeeds)
            links.linkStart = format.textPos;
    }

    if (changed) {
        format.lastItemStart = current.itemStart;
        if (!writeStyleRun(reader, format.textPos, current))
            return false;
    }
    return true;
}

void closePageText(HtmlReader& reader) {
    FormattingState& format = reader.format;
    if (format.trailingNewlines == 0) {
        const uint8_t lineFeed = '\n';
        (void)appendText(reader, &lineFeed, 1);
    }
    (void)flushText(reader);
    (void)writeBlockRecord(reader, BlockRecord{format.textPos, kBlockPageEnd, 0, 0, 0, 0});
    (void)writeStyleRun(reader, format.textPos, kDefaultTextStyle);
}

void encodeTextStyle(const TextStyle& style, uint8_t* out) {
    const int32_t fields[] = {
        style.alignment, style.heading,   style.fontSize,      style.monospace, style.bold,
        style.underline, style.italic,    style.strikeThrough, style.subscript, style.superscript,
        style.indent,    style.itemStart, style.listStyle};
    uint32_t offset = 0;
    for (const int32_t field : fields) {
        storeSigned(out + offset, field);
        offset += 4;
    }
    storeLittleEndian16(out + offset, style.itemNumber);
    storeLittleEndian16(out + offset + 2, 0);  // reserved
}

void encodeBlockRecord(const BlockRecord& record, uint8_t* out) {
    storeLittleEndian32(out, record.position);
    storeSigned(out + 4, record.kind);
    storeSigned(out + 8, record.alignment);
    storeSigned(out + 12, record.noShade);
    storeSigned(out + 16, record.size);
    storeSigned(out + 20, record.width);
}

bool writeStyleRun(HtmlReader& reader, uint32_t position, const TextStyle& style) {
    FileObject stream = reader.streams.styleRunStream;
    if (stream == nullptr)
        return true;
    std::array<uint8_t, 4> positionBytes{};
    storeLittleEndian32(positionBytes.data(), position);
    std::array<uint8_t, kTextStyleBytes> styleBytes{};
    encodeTextStyle(style, styleBytes.data());
    return writeAll(reader, stream, positionBytes.data(), 4) &&
           writeAll(reader, stream, styleBytes.data(), kTextStyleBytes);
}

bool writeBlockRecord(HtmlReader& reader, const BlockRecord& record) {
    FileObject stream = reader.streams.blockStream;
    if (stream == nullptr)
        return true;
    std::array<uint8_t, kBlockRecordBytes> bytes{};
    encodeBlockRecord(record, bytes.data());
    if (!writeAll(reader, stream, bytes.data(), kBlockRecordBytes))
        return false;
    ++reader.format.blockRecordCount;
    return true;
}

}  // namespace skerrit
