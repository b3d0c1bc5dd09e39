// Walks the element stack from the bottom entry to the top one, each entry changing the style.
#include "html/StyleComputation.h"

#include <cstddef>

namespace skerrit {

namespace {

constexpr int32_t kSmallestFontSize = 1;
constexpr int32_t kLargestFontSize = 7;
constexpr int32_t kDeepestIndent = 7;
constexpr int32_t kUnderlined = 1;
constexpr int32_t kLinkUnderline = 2;

int32_t clampFontSize(int64_t size) {
    if (size < kSmallestFontSize)
        return kSmallestFontSize;
    if (size > kLargestFontSize)
        return kLargestFontSize;
    return static_cast<int32_t>(size);
}

void indentOnce(TextStyle& style) {
    if (style.indent < kDeepestIndent)
        ++style.indent;
}

// BASEFONT and FONT: x relative flag, y the size value (0: no size).
void applySize(TextStyle& style, const ElementEntry& entry) {
    if (entry.y == 0)
        return;
    // Widened: the value comes straight from the page and may be any 32-bit number.
    const int64_t size = entry.x != 0 ? int64_t{style.fontSize} + entry.y : entry.y;
    style.fontSize = clampFontSize(size);
}

void applyAlignment(TextStyle& style, int32_t alignment) {
    if (alignment != -1)
        style.alignment = alignment;
}

}  // namespace

TextStyle computeStyle(const ElementStack& stack) {
    TextStyle style = kDefaultTextStyle;
    bool linkBelow = false;
    for (int32_t i = 0; i < stack.count; ++i) {
        const ElementEntry& entry = stack.entries[static_cast<std::size_t>(i)];
        switch (entry.kind) {
            case kElementLink:
                style.underline = kLinkUnderline;
                linkBelow = true;
                break;
            case kElementAddress:
            case kElementCite:
            case kElementEmphasis:
            case kElementItalic:
            case kElementVariable:
                style.italic = 1;
                break;
            case kElementBold:
            case kElementStrong:
                style.bold = 1;
                break;
            case kElementBaseFont:
                applySize(style, entry);
                break;
            case kElementBig:
                style.fontSize = clampFontSize(int64_t{style.fontSize} + 1);
                break;
            case kElementBlockquote:
            case kElementDefinition:
                indentOnce(style);
                break;
            case kElementCenter:
                style.alignment = 1;
                break;
            case kElementCode:
            case kElementKeyboard:
            case kElementMonospace:
            case kElementPre:
            case kElementTeletype:
            case kElementXmp:
                style.monospace = 1;
                break;
            case kElementDir:
            case kElementMenu:
            case kElementOrderedList:
            case kElementUnorderedList:
                indentOnce(style);
                style.listStyle = entry.x;
                style.itemNumber = static_cast<uint16_t>(entry.y);
                break;
            case kElementDiv:
            case kElementParagraph:
            case kElementTable:
                applyAlignment(style, entry.x);
                break;
            case kElementFont:
                applySize(style, entry);
                if (entry.z != -1)
                    style.bold = entry.z;
                break;
            case kElementListItem:
                indentOnce(style);
                style.itemStart = entry.x != 0 ? 1 : 0;
                break;
            case kElementShortStrike:
            case kElementStrike:
                style.strikeThrough = 1;
                break;
            case kElementSmall:
                style.fontSize = clampFontSize(int64_t{style.fontSize} - 1);
                break;
            case kElementSub:
                style.subscript = 1;
                break;
            case kElementSup:
                style.superscript = 1;
                break;
            case kElementTableData:
            case kElementTableRow:
                style = kDefaultTextStyle;
                applyAlignment(style, entry.x);
                break;
            case kElementTableHeader:
                style = kDefaultTextStyle;
                applyAlignment(style, entry.x);
                style.bold = 1;
                break;
            case kElementUnderline:
                if (!linkBelow)
                    style.underline = kUnderlined;
                break;
            default:
                if (isHeadingKind(entry.kind)) {
                    // H1 is the largest: 7, 6, 5, 4, 3, 2.
                    style.fontSize = kLargestFontSize - (entry.kind - kElementHeading1);
                    style.heading = 1;
                    applyAlignment(style, entry.x);
                }
                break;  // BLINK and DL change nothing
        }
    }
    return style;
}

bool sameStyle(const TextStyle& a, const TextStyle& b) {
    const bool same =
        a.alignment == b.alignment && a.heading == b.heading && a.fontSize == b.fontSize &&
        a.monospace == b.monospace && a.bold == b.bold && a.underline == b.underline &&
        a.italic == b.italic && a.strikeThrough == b.strikeThrough && a.subscript == b.subscript &&
        a.superscript == b.superscript && a.indent == b.indent && a.itemStart == b.itemStart;
    if (!same)
        return false;
    if (a.itemStart != 1)
        return true;
    return a.listStyle == b.listStyle && a.itemNumber == b.itemNumber;
}

}  // namespace skerrit
