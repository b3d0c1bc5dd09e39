// Handlers of the list tags. Lists live entirely on the element stack: a list entry carries the
// list style and, for OL, the number of the last item; one LI entry per list level is reused by
// all of its items and carries the item-start mark. Definition lists indent their definitions.
#include "html/AttributeValues.h"
#include "html/ElementStack.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"

namespace skerrit {

namespace {

constexpr int32_t kDecimalStyle = 7;

ElementEntry& entryAt(ElementStack& stack, int32_t index) {
    return stack.entries[static_cast<size_t>(index)];
}

// DL counts as a list for nesting, though it carries no list style.
int32_t listNestingCount(const ElementStack& stack) {
    int32_t count = 0;
    for (int32_t i = 0; i < stack.count; ++i) {
        const int32_t kind = stack.entries[static_cast<size_t>(i)].kind;
        if (isListKind(kind) || kind == kElementDefinitionList)
            ++count;
    }
    return count;
}

// OL takes letters, roman or decimal numbers; the other lists take bullets.
int32_t listStyleFor(int32_t listKind, int32_t type) {
    if (listKind == kElementOrderedList)
        return type >= 3 && type <= 7 ? type : kDecimalStyle;
    return type >= 0 && type <= 2 ? type : 0;
}

struct ListAttributes {
    int32_t type = -1;
    uint16_t start = 0;  // START, low 16 bits
};

ListAttributes readListAttributes(const HtmlReader& reader) {
    ListAttributes list;
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        const int32_t attribute = lookupAttribute(tag.attributes[i].name);
        if (attribute == kAttrStart) {
            list.start = static_cast<uint16_t>(decimalNumber(tag.attributes[i].value));
        }
        if (attribute == kAttrType)
            list.type = listStyleValue(tag.attributes[i].value);
    }
    return list;
}

void openList(HtmlReader& reader, int32_t kind) {
    ElementStack& stack = *reader.format.elements;
    if (listNestingCount(stack) == 0) {
        breakParagraph(reader);
    } else {
        breakLine(reader);
    }
    const ListAttributes list = readListAttributes(reader);
    const int32_t style = listStyleFor(kind, list.type);
    // OL keeps the number of the last item; DIR, MENU and UL do not count their items.
    const int32_t lastItem =
        kind == kElementOrderedList && list.start != 0 ? static_cast<int32_t>(list.start) - 1 : 0;
    // A full stack ignores the push; the entry below must then keep its own count.
    const int32_t before = stack.count;
    pushElementWithArgument(stack, kind, style);
    if (stack.count > before)
        entryAt(stack, stack.count - 1).y = lastItem;
}

// Any of the four list end tags closes the nearest list of any of the four kinds, with the item
// entries above it; DL and DD entries on the way stay.
void closeList(HtmlReader& reader) {
    ElementStack& stack = *reader.format.elements;
    if (listNestingCount(stack) == 1) {
        endBlock(reader);
    } else {
        breakLine(reader);
    }
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t kind = entryAt(stack, i).kind;
        if (kind == kElementListItem) {
            removeElementAt(stack, i);
        } else if (isListKind(kind)) {
            removeElementAt(stack, i);
            return;
        }
    }
}

}  // namespace

void handleList(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    if (isEnd) {
        closeList(reader);
    } else {
        openList(reader, kind);
    }
}

void handleListItem(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    breakLine(reader);
    ElementStack& stack = *reader.format.elements;
    if (isEnd) {
        for (int32_t i = stack.count - 1; i >= 0; --i) {
            const int32_t entryKind = entryAt(stack, i).kind;
            if (isListKind(entryKind))
                return;
            if (entryKind == kElementListItem) {
                removeElementAt(stack, i);
                return;
            }
        }
        return;
    }

    const ListAttributes item = readListAttributes(reader);
    int32_t list = -1;
    bool itemEntryMet = false;
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        ElementEntry& entry = entryAt(stack, i);
        if (isListKind(entry.kind)) {
            list = i;
            break;
        }
        if (entry.kind == kElementListItem) {
            entry.x = 1;
            itemEntryMet = true;
        }
    }
    if (!itemEntryMet)
        pushElementWithArgument(stack, kind, 1);
    if (list < 0)
        return;

    // An LI without TYPE sets its list back to the default style.
    ElementEntry& listEntry = entryAt(stack, list);
    listEntry.x = listStyleFor(listEntry.kind, item.type);
    if (listEntry.kind == kElementOrderedList) {
        const auto next = item.start != 0 ? item.start : static_cast<uint16_t>(listEntry.y + 1);
        listEntry.y = next;
    }
}

void handleDefinitionList(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    ElementStack& stack = *reader.format.elements;
    const int32_t nesting = listNestingCount(stack);
    if (!isEnd) {
        if (nesting == 0) {
            breakParagraph(reader);
        } else {
            breakLine(reader);
        }
        pushElement(stack, kind);
        return;
    }
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t entryKind = entryAt(stack, i).kind;
        if (entryKind == kElementDefinition) {
            removeElementAt(stack, i);
        } else if (entryKind == kind) {
            removeElementAt(stack, i);
            break;
        }
    }
    if (nesting == 1) {
        endBlock(reader);
    } else {
        breakLine(reader);
    }
}

// A term ends the definition before it.
void handleDefinitionTerm(HtmlReader& reader, PageParse&, bool isEnd, int32_t) {
    if (isEnd)
        return;
    ElementStack& stack = *reader.format.elements;
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t entryKind = entryAt(stack, i).kind;
        if (entryKind == kElementDefinitionList)
            break;
        if (entryKind == kElementDefinition) {
            removeElementAt(stack, i);
            break;
        }
    }
    forceLineBreak(reader);
}

// One indent level for the definitions of a list, however many DD tags follow each other.
void handleDefinition(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    if (isEnd)
        return;
    ElementStack& stack = *reader.format.elements;
    bool definitionOpen = false;
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t entryKind = entryAt(stack, i).kind;
        if (entryKind == kElementDefinitionList)
            break;
        if (entryKind == kind) {
            definitionOpen = true;
            break;
        }
    }
    if (!definitionOpen)
        pushElement(stack, kind);
    forceLineBreak(reader);
}

}  // namespace skerrit
