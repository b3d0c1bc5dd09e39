// Handlers of the table tags. A table becomes a column of paragraphs: each row and cell starts a
// new line, its text starts from the default style, and a table with a border is drawn as solid
// full-width rules (3 around the table, 2 between rows, 1 between the cells of a row). Up to 16
// levels of nesting keep a state byte and a border width each; deeper tables are only counted.
#include "html/AttributeValues.h"
#include "html/ElementStack.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"

namespace skerrit {

namespace {

constexpr int32_t kTableRuleSize = 3;
constexpr int32_t kRowRuleSize = 2;
constexpr int32_t kCellRuleSize = 1;
constexpr int32_t kLargestBorder = 15;

// The state bytes of the innermost table, or null when it is deeper than the levels kept.
struct TableLevel {
    uint8_t* cellState;
    uint8_t border;
};

TableLevel innermostLevel(HtmlReader& reader) {
    const uint16_t depth = reader.tables.tableDepth;
    if (depth < 1 || depth > kTableLevels)
        return TableLevel{nullptr, 0};
    const auto index = static_cast<size_t>(depth - 1);
    return TableLevel{&reader.tables.cellState[index], reader.tables.tableBorder[index]};
}

// A solid full-width rule at the start of a line of its own.
void addTableRule(HtmlReader& reader, int32_t size) {
    forceLineBreak(reader);
    if (!flushBreaks(reader))
        return;
    if (!writeBlockRecord(reader,
                          BlockRecord{reader.format.textPos, kBlockRule, 0, 1, size, -100})) {
        return;
    }
    forceLineBreak(reader);
}

int32_t topmostOf(const ElementStack& stack, int32_t kindA, int32_t kindB) {
    for (int32_t i = stack.count - 1; i >= 0; --i) {
        const int32_t kind = stack.entries[static_cast<size_t>(i)].kind;
        if (kind == kindA || kind == kindB)
            return i;
    }
    return -1;
}

// Drops every entry from the lowest entry of the given kinds above `floor` upwards: formatting
// left open in the previous row or cell ends with it.
void cutAbove(ElementStack& stack, int32_t floor, int32_t kindA, int32_t kindB) {
    for (int32_t i = floor + 1; i < stack.count; ++i) {
        const int32_t kind = stack.entries[static_cast<size_t>(i)].kind;
        if (kind == kindA || kind == kindB) {
            cutStackAt(stack, i);
            return;
        }
    }
}

int32_t borderWidth(const HtmlReader& reader) {
    const char* border = getAttribute(reader, kAttrBorder);
    if (border == nullptr)
        return 0;
    if (border[0] == '\0')
        return 1;
    const int32_t width = decimalNumber(border);
    if (width < 0)
        return 0;
    return width > kLargestBorder ? kLargestBorder : width;
}

}  // namespace

void handleTable(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    ElementStack& stack = *reader.format.elements;
    TableState& tables = reader.tables;
    if (!isEnd) {
        breakParagraph(reader);
        const int32_t alignment = alignmentValue(reader);
        pushElementWithArgument(stack, kind, alignment == -1 ? 0 : alignment);
        const int32_t border = borderWidth(reader);
        if (border > 0)
            addTableRule(reader, kTableRuleSize);
        // Saturates: the count must not wrap back to "no table" on a page of 65536 tables.
        if (tables.tableDepth < UINT16_MAX)
            ++tables.tableDepth;
        if (tables.tableDepth <= kTableLevels) {
            const auto index = static_cast<size_t>(tables.tableDepth - 1);
            tables.cellState[index] = kTableStarted;
            tables.tableBorder[index] = static_cast<uint8_t>(border);
        }
        return;
    }
    cutStackAt(stack, findTopmost(stack, kind));
    if (tables.tableDepth == 0)
        return;
    const uint16_t closed = tables.tableDepth;
    --tables.tableDepth;
    if (closed <= kTableLevels && tables.tableBorder[static_cast<size_t>(closed - 1)] > 0) {
        addTableRule(reader, kTableRuleSize);
    }
    endBlock(reader);
}

void handleTableRow(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    ElementStack& stack = *reader.format.elements;
    cutAbove(stack, findTopmost(stack, kElementTable), kind, kind);
    const TableLevel level = innermostLevel(reader);
    if (isEnd) {
        if (level.cellState != nullptr)
            *level.cellState = kCellEnded;
        breakLine(reader);
        return;
    }
    if (level.cellState != nullptr) {
        if (*level.cellState != kTableStarted && level.border > 0) {
            addTableRule(reader, kRowRuleSize);
        }
        *level.cellState = kRowStarted;
    }
    breakLine(reader);
    const int32_t alignment = alignmentValue(reader);
    if (alignment != -1)
        pushElementWithArgument(stack, kind, alignment);
}

void handleTableCell(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    ElementStack& stack = *reader.format.elements;
    cutAbove(stack, topmostOf(stack, kElementTable, kElementTableRow), kElementTableData,
             kElementTableHeader);
    const TableLevel level = innermostLevel(reader);
    if (isEnd) {
        if (level.cellState != nullptr)
            *level.cellState = kCellEnded;
        breakLine(reader);
        return;
    }
    if (level.cellState != nullptr) {
        if (*level.cellState != kTableStarted && *level.cellState != kRowStarted &&
            level.border > 0) {
            addTableRule(reader, kCellRuleSize);
        }
        *level.cellState = kInCell;
    }
    breakLine(reader);
    pushElementWithArgument(stack, kind, alignmentValue(reader));
}

}  // namespace skerrit
