// Attribute lookup by number and the shared value rules.
#include "html/AttributeValues.h"

#include <cstring>

#include "html/PageInput.h"
#include "html/TagTables.h"

namespace skerrit {

namespace {
// Only the first bytes of a list TYPE are looked at.
constexpr size_t kListStyleBytes = 7;

const char* skipLeadingSpaces(const char* text) {
    while (isHtmlSpace(static_cast<uint8_t>(*text)))
        ++text;
    return text;
}
}  // namespace

const char* getAttribute(const HtmlReader& reader, int32_t attrId) {
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        if (lookupAttribute(tag.attributes[i].name) == attrId)
            return tag.attributes[i].value;
    }
    return nullptr;
}

int32_t alignmentValue(const HtmlReader& reader) {
    const char* align = getAttribute(reader, kAttrAlign);
    if (align == nullptr)
        return -1;
    if (compareFolded(align, "LEFT") == 0)
        return 0;
    if (compareFolded(align, "CENTER") == 0)
        return 1;
    if (compareFolded(align, "RIGHT") == 0)
        return 2;
    return -1;
}

int32_t listStyleValue(const char* text) {
    char considered[kListStyleBytes + 1]{};
    std::strncpy(considered, text, kListStyleBytes);
    const size_t length = std::strlen(considered);
    if (length == 1) {
        switch (considered[0]) {
            case '1':
                return 7;
            case 'A':
                return 3;
            case 'a':
                return 4;
            case 'I':
                return 5;
            case 'i':
                return 6;
            default:
                return -1;
        }
    }
    if (length == 0)
        return -1;
    if (compareFolded(considered, "DISC") == 0)
        return 0;
    if (compareFolded(considered, "CIRCLE") == 0)
        return 1;
    if (compareFolded(considered, "SQUARE") == 0)
        return 2;
    return -1;
}

int32_t decimalNumber(const char* text) {
    text = skipLeadingSpaces(text);
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > INT32_MAX)
            magnitude = int64_t{INT32_MAX} + 1;  // saturate
    }
    if (negative)
        return magnitude > INT32_MAX ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

SizeValue sizeValue(const char* text) {
    text = skipLeadingSpaces(text);
    if (*text == '\0')
        return SizeValue{0, 0};
    if (*text == '+')
        return SizeValue{1, decimalNumber(text + 1)};
    if (*text == '-') {
        const int32_t magnitude = decimalNumber(text + 1);
        return SizeValue{1, magnitude == INT32_MIN ? INT32_MAX : -magnitude};
    }
    return SizeValue{0, decimalNumber(text)};
}

}  // namespace skerrit
