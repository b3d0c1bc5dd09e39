// Operations on the element stack shared by the parse loop and the tag handlers.
#include "html/ElementStack.h"

namespace skerrit {

void removeElementAt(ElementStack& stack, int32_t index) {
    if (index < 0 || index >= stack.count)
        return;
    for (int32_t i = index; i + 1 < stack.count; ++i) {
        stack.entries[static_cast<std::size_t>(i)] = stack.entries[static_cast<std::size_t>(i + 1)];
    }
    --stack.count;
}

void emptyStack(ElementStack& stack) {
    stack.count = 0;
}

void pushElement(ElementStack& stack, int32_t kind) {
    pushElementWithArgument(stack, kind, 0);
}

void pushElementWithArgument(ElementStack& stack, int32_t kind, int32_t x) {
    if (stack.count >= kElementStackCapacity)
        return;
    stack.entries[static_cast<std::size_t>(stack.count)] = ElementEntry{kind, x, 0, 0};
    ++stack.count;
}

void pushSizedElement(ElementStack& stack, int32_t kind, int32_t relative, int32_t value,
                      int32_t weight) {
    if (stack.count >= kElementStackCapacity)
        return;
    const int32_t weightClass = weight < 100 ? -1 : (weight >= 200 ? 1 : 0);
    stack.entries[static_cast<std::size_t>(stack.count)] =
        ElementEntry{kind, relative, value, weightClass};
    ++stack.count;
}

int32_t findTopmost(const ElementStack& stack, int32_t kind) {
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        if (stack.entries[static_cast<std::size_t>(i)].kind == kind)
            return i;
    }
    return -1;
}

void removeElement(ElementStack& stack, int32_t kind) {
    const int32_t index = findTopmost(stack, kind);
    if (index >= 0)
        removeElementAt(stack, index);
}

void closeParagraph(ElementStack& stack) {
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t kind = stack.entries[static_cast<std::size_t>(i)].kind;
        if (isHeadingKind(kind) || kind == kElementParagraph) {
            removeElementAt(stack, i);
            return;
        }
    }
}

void cutStackAt(ElementStack& stack, int32_t index) {
    if (index >= 0 && index < stack.count)
        stack.count = index;
}

void clearItemStart(ElementStack& stack) {
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        ElementEntry& entry = stack.entries[static_cast<std::size_t>(i)];
        if (isListKind(entry.kind))
            return;
        if (entry.kind == kElementListItem) {
            entry.x = 0;
            return;
        }
    }
}

}  // namespace skerrit
