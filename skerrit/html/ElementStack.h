// The stack of open elements of a page. Tag handlers push and remove entries; the style of any
// text is computed from the whole stack (StyleComputation.h). The capacity is fixed: pushes onto a
// full stack are ignored and removes of kinds not on it do nothing, so malformed nesting never
// fails.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace skerrit {

inline constexpr int32_t kElementStackCapacity = 256;

enum ElementKind : int32_t {
    kElementLink = 0,
    kElementAddress = 1,
    kElementBold = 2,
    kElementBaseFont = 3,
    kElementBig = 4,
    kElementBlink = 5,
    kElementBlockquote = 6,
    kElementCenter = 7,
    kElementCite = 8,
    kElementCode = 9,
    kElementDir = 10,
    kElementDiv = 11,
    kElementDefinition = 12,      // DD
    kElementDefinitionList = 13,  // DL
    kElementEmphasis = 14,
    kElementFont = 15,
    kElementHeading1 = 16,
    kElementHeading6 = 21,
    kElementItalic = 22,
    kElementKeyboard = 23,
    kElementListItem = 24,
    kElementMenu = 25,
    kElementOrderedList = 26,
    kElementParagraph = 27,
    kElementMonospace = 28,  // pushed by no tag
    kElementPre = 29,
    kElementShortStrike = 30,  // S
    kElementSmall = 31,
    kElementStrike = 32,
    kElementStrong = 33,
    kElementSub = 34,
    kElementSup = 35,
    kElementTable = 36,
    kElementTableData = 37,
    kElementTableHeader = 38,
    kElementTableRow = 39,
    kElementTeletype = 40,
    kElementUnderline = 41,
    kElementUnorderedList = 42,
    kElementVariable = 43,
    kElementXmp = 44,
};

// x, y and z mean what the kind says (see computeStyle); entries pushed without arguments
// leave them zero, and no such kind reads them.
struct ElementEntry {
    int32_t kind;
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
};

struct ElementStack {
    int32_t count;
    std::array<ElementEntry, kElementStackCapacity> entries;  // bottom (oldest) first
};

void emptyStack(ElementStack& stack);
void pushElement(ElementStack& stack, int32_t kind);
void pushElementWithArgument(ElementStack& stack, int32_t kind, int32_t x);
// x := relative flag, y := size value, z := -1 below weight 100, 1 from 200, else 0.
void pushSizedElement(ElementStack& stack, int32_t kind, int32_t relative, int32_t value,
                      int32_t weight);
// Removes the topmost entry of that kind; the entries above it move down, keeping their order.
void removeElement(ElementStack& stack, int32_t kind);
// Removes the entry at index; the entries above it move down.
void removeElementAt(ElementStack& stack, int32_t index);
// Removes the topmost heading or P entry.
void closeParagraph(ElementStack& stack);
// Index of the topmost entry of that kind, or -1.
[[nodiscard]] int32_t findTopmost(const ElementStack& stack, int32_t kind);
// Drops the entry at index and everything above it.
void cutStackAt(ElementStack& stack, int32_t index);

// The innermost list item's first text has been followed by a tag: the first LI entry met from
// the top before any list entry loses its item-start mark.
void clearItemStart(ElementStack& stack);

[[nodiscard]] inline bool isListKind(int32_t kind) {
    return kind == kElementDir || kind == kElementMenu || kind == kElementOrderedList ||
           kind == kElementUnorderedList;
}
[[nodiscard]] inline bool isHeadingKind(int32_t kind) {
    return kind >= kElementHeading1 && kind <= kElementHeading6;
}

}  // namespace skerrit
