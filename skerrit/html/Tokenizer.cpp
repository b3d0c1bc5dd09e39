// Text runs and tags. References are decoded in CharacterReferences.cpp; the bytes come from the
// buffered page input.
#include "html/Tokenizer.h"

#include <cstddef>
#include <cstring>

#include "html/PageInput.h"

namespace skerrit {

TextRun readTextRun(HtmlReader& reader, uint32_t& spaceState, uint8_t* out, uint32_t max) {
    uint32_t stored = 0;
    int32_t byte = kEndOfInput;
    if (max == 0)
        return TextRun{byte, 0};
    for (;;) {
        byte = spaceState != 0 ? skipSpaces(reader) : readByte(reader);
        if (byte == kEndOfInput || byte == '<')
            break;
        if (byte == '&') {
            byte = decodeReference(reader);
            if (byte == kEndOfInput)
                break;
        }
        if (isHtmlSpace(byte))
            byte = ' ';
        // A reference may decode to a space right after one; it is dropped like any other.
        if (byte != 0 && !(byte == ' ' && spaceState != 0))
            out[stored++] = static_cast<uint8_t>(byte);
        spaceState = byte == ' ' ? 1 : 0;
        if (stored >= max)
            break;
    }
    return TextRun{byte, static_cast<uint16_t>(stored)};
}

TextRun readPreformattedRun(HtmlReader& reader, uint8_t* out, uint32_t max) {
    uint32_t stored = 0;
    int32_t byte = kEndOfInput;
    if (max == 0)
        return TextRun{byte, 0};
    for (;;) {
        byte = readByte(reader);
        if (byte == kEndOfInput || byte == '<')
            break;
        if (byte == '&') {
            byte = decodeReference(reader);
            if (byte == kEndOfInput)
                break;
        }
        if (byte != 0 && byte != '\r')
            out[stored++] = static_cast<uint8_t>(byte);
        if (stored >= max)
            break;
    }
    return TextRun{byte, static_cast<uint16_t>(stored)};
}

namespace {

constexpr char kEmptyString[] = "";

// Copies a string into the attribute pool, cut so that it and its terminator fit; a string cut
// to nothing, and every string once the pool is full, becomes the shared empty string.
const char* storeInPool(TagBuffers& tag, const char* text, uint32_t length) {
    const uint32_t room = kAttributePoolSize - tag.poolUsed;
    if (room <= 1)
        return kEmptyString;
    if (length > room - 1)
        length = room - 1;
    if (length == 0)
        return kEmptyString;
    char* stored = tag.pool.data() + tag.poolUsed;
    std::memcpy(stored, text, length);
    stored[length] = '\0';
    tag.poolUsed += length + 1;
    return stored;
}

// A comment ends at a ">" preceded by at least two "-" and outside double quotes, or at the end
// of the page.
void skipComment(HtmlReader& reader) {
    uint32_t dashes = 0;
    bool inQuotes = false;
    for (;;) {
        const int32_t byte = readByte(reader);
        if (byte == kEndOfInput)
            return;
        if (byte == '>' && dashes >= 2 && !inQuotes)
            return;
        if (byte == '"')
            inQuotes = !inQuotes;
        dashes = byte == '-' ? dashes + 1 : 0;
    }
}

// Text of one attribute name or value: the first byte plus what the scanners add, terminated.
struct AttributeText {
    char bytes[kAttributeValueMax + 1];
    uint32_t length() const { return static_cast<uint32_t>(std::strlen(bytes)); }
};

// Reads "b" followed by the rest of a quoted string up to `quote`; answers the byte after the
// closing quote (consumed), or kEndOfInput.
int32_t readQuoted(HtmlReader& reader, int32_t first, int32_t quote, AttributeText& text,
                   uint32_t max) {
    text.bytes[0] = static_cast<char>(first);
    const int32_t stop = readUntilByte(reader, quote, text.bytes + 1, max - 1);
    return stop == quote ? readByte(reader) : stop;
}

// One attribute, starting at its first byte. Answers the byte that ended it.
int32_t readAttribute(HtmlReader& reader, int32_t byte) {
    TagBuffers& tag = reader.tag;
    AttributeText name{};
    if (byte == '"' || byte == '\'') {
        const int32_t quote = byte;
        byte = skipSpaces(reader);
        if (byte != kEndOfInput && byte != quote) {
            byte = readQuoted(reader, byte, quote, name, kAttributeNameMax);
        }
    } else {
        name.bytes[0] = static_cast<char>(byte);
        byte = readUntilAny(reader, "=>", name.bytes + 1, kAttributeNameMax - 1);
    }
    const uint32_t nameLength = name.length();
    // Attributes beyond the 32nd are read and dropped.
    Attribute* attribute = nullptr;
    if (nameLength > 0 && tag.attributeCount < kMaxAttributes) {
        attribute = &tag.attributes[tag.attributeCount];
        attribute->name = storeInPool(tag, name.bytes, nameLength);
    }

    if (isHtmlSpace(byte))
        byte = skipSpaces(reader);
    if (byte != '=') {
        if (attribute != nullptr) {
            attribute->value = kEmptyString;
            ++tag.attributeCount;
        }
        // The byte begins the next attribute.
        if (byte != kEndOfInput && byte != '>')
            unreadBytes(reader, 1);
        return byte;
    }

    AttributeText value{};
    byte = skipSpaces(reader);
    if (byte == '"' || byte == '\'') {
        const int32_t quote = byte;
        // Whitespace right after the opening quote is dropped.
        byte = skipSpaces(reader);
        if (byte != kEndOfInput && byte != quote) {
            byte = readQuoted(reader, byte, quote, value, kAttributeValueMax);
        }
    } else if (byte != kEndOfInput && byte != '>') {
        value.bytes[0] = static_cast<char>(byte);
        byte = readUntilAny(reader, ">", value.bytes + 1, kAttributeValueMax - 1);
    }
    if (attribute != nullptr) {
        uint32_t valueLength = value.length();
        while (valueLength > 0 && isHtmlSpace(static_cast<uint8_t>(value.bytes[valueLength - 1]))) {
            --valueLength;
        }
        attribute->value = storeInPool(tag, value.bytes, valueLength);
        ++tag.attributeCount;
    }
    return byte;
}

}  // namespace

void readTag(HtmlReader& reader) {
    TagBuffers& tag = reader.tag;
    tag.name[0] = '\0';
    tag.attributeCount = 0;
    tag.poolUsed = 0;

    int32_t byte = skipSpaces(reader);
    if (byte == kEndOfInput || byte == '>')
        return;
    tag.name[0] = static_cast<char>(byte);
    byte = readUntilAny(reader, ">", tag.name.data() + 1, kTagNameSize - 2);
    if (byte == kEndOfInput || byte == '>')
        return;

    if (std::strcmp(tag.name.data(), "!--") == 0) {
        skipComment(reader);
        return;
    }
    for (;;) {
        byte = skipSpaces(reader);
        if (byte == kEndOfInput || byte == '>')
            return;
        byte = readAttribute(reader, byte);
        if (byte == kEndOfInput || byte == '>')
            return;
    }
}

}  // namespace skerrit
