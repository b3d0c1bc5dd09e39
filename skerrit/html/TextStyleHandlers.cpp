// Handlers of the tags that only change the formatting and the line breaks: the character
// styles, headings, paragraphs, DIV, BR, the two font tags and PRE. They push and remove element
// stack entries and request breaks; the style itself is computed when text is written.
#include "html/AttributeValues.h"
#include "html/ElementStack.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"

namespace skerrit {

namespace {

ElementStack& elementsOf(HtmlReader& reader) {
    return *reader.format.elements;
}

// BR is ignored inside a table level that keeps state but outside its cells.
bool isOutsideCell(const HtmlReader& reader) {
    const uint16_t depth = reader.tables.tableDepth;
    return depth >= 1 && depth <= kTableLevels &&
           reader.tables.cellState[static_cast<size_t>(depth - 1)] != kInCell;
}

}  // namespace

void handleSimpleStyle(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    if (isEnd) {
        removeElement(elementsOf(reader), kind);
    } else {
        pushElement(elementsOf(reader), kind);
    }
    switch (kind) {
        case kElementAddress:
        case kElementCenter:
            forceLineBreak(reader);
            break;
        case kElementBlockquote:
            endBlock(reader);
            break;
        default:
            break;
    }
}

// A heading is closed by its own end tag, or by the next heading or P start; the end tag of
// another level leaves it open.
void handleHeading(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    if (isEnd) {
        removeElement(elementsOf(reader), kind);
        endBlock(reader);
        return;
    }
    closeParagraph(elementsOf(reader));
    pushElementWithArgument(elementsOf(reader), kind, alignmentValue(reader));
    breakParagraph(reader);
}

// P elements never nest: a P without ALIGN only separates paragraphs.
void handleParagraph(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    closeParagraph(elementsOf(reader));
    if (!isEnd) {
        const int32_t alignment = alignmentValue(reader);
        if (alignment != -1)
            pushElementWithArgument(elementsOf(reader), kind, alignment);
    }
    endBlock(reader);
}

// A DIV start replaces the alignment of an enclosing DIV; a DIV end restores none.
void handleDiv(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    removeElement(elementsOf(reader), kind);
    if (!isEnd) {
        const int32_t alignment = alignmentValue(reader);
        if (alignment != -1)
            pushElementWithArgument(elementsOf(reader), kind, alignment);
    }
    forceLineBreak(reader);
}

// BR owes one more line feed each time, without looking at earlier break requests, so
// consecutive BRs add up.
void handleLineBreak(HtmlReader& reader, PageParse&, bool isEnd, int32_t) {
    if (isEnd || isOutsideCell(reader))
        return;
    ++reader.format.pendingNewlines;
    reader.format.lastWasSpace = 1;
}

// Each BASEFONT replaces the previous one; one without SIZE, and an end tag, leave an entry
// without effect.
void handleBaseFont(HtmlReader& reader, PageParse&, bool, int32_t kind) {
    removeElement(elementsOf(reader), kind);
    const char* size = getAttribute(reader, kAttrSize);
    const SizeValue value = size != nullptr ? sizeValue(size) : SizeValue{0, 0};
    pushSizedElement(elementsOf(reader), kind, value.relative, value.value, 0);
}

void handleFont(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    if (isEnd) {
        removeElement(elementsOf(reader), kind);
        return;
    }
    SizeValue size{0, 0};
    int32_t weight = 0;
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        const int32_t attribute = lookupAttribute(tag.attributes[i].name);
        if (attribute == kAttrSize)
            size = sizeValue(tag.attributes[i].value);
        if (attribute == kAttrWeight)
            weight = decimalNumber(tag.attributes[i].value);
    }
    pushSizedElement(elementsOf(reader), kind, size.relative, size.value, weight);
}

// PRE elements do not nest: any PRE end tag ends preformatted reading.
void handlePre(HtmlReader& reader, PageParse& page, bool isEnd, int32_t kind) {
    if (isEnd) {
        removeElement(elementsOf(reader), kind);
        endBlock(reader);
        page.preformatted = false;
    } else {
        pushElement(elementsOf(reader), kind);
        breakParagraph(reader);
        page.preformatted = true;
    }
}

}  // namespace skerrit
