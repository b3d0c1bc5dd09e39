// What the preview knows of a book once it has read it: the container's header, the decoded text
// and, for a VaDo database from an HTML conversion, its four tables with every position joined
// back into a text position. Renderers and the information report read only this.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/DatabaseLayout.h"
#include "encoder/DocLayout.h"

namespace skerrit::preview {

enum class BookKind : uint8_t { kVaDo, kDoc };

// A style run covers [start, end); extra is 0 unless the attribute word has its extra-word bit.
struct BookStyleRun {
    uint32_t start;
    uint32_t end;
    uint16_t attributes;
    uint16_t extra;
};

// One link entry: length bytes of text from start, jumping to target. Links longer than an entry
// can hold are several entries with the same target, back to back.
struct BookLink {
    uint32_t start;
    uint32_t length;
    uint32_t target;
};

struct BookRule {
    uint32_t position;
    uint8_t attributes;
    uint16_t width;  // 0 when the attribute byte announces no width word
};

// The text of one converted source file: [start, end).
struct BookFile {
    uint32_t number;  // from 0, in conversion order
    uint32_t start;
    uint32_t end;
};

// How the text part was stored, for the information report.
struct TextPartCounts {
    uint32_t codeTables = 0;
    uint32_t compressedRecords = 0;
    uint32_t storedRecords = 0;
    uint64_t recordBytes = 0;  // code table and text records, prefixes included
};

struct Book {
    BookKind kind = BookKind::kVaDo;
    uint64_t fileSize = 0;
    DatabaseHeaderFields header{};
    std::string text;  // the handheld's 8-bit characters, exactly as stored

    // VaDo databases.
    HeaderRecordFields headerRecord{};
    TextPartCounts textPart;
    std::vector<BookStyleRun> styleRuns;
    std::vector<BookLink> links;  // fillers left out
    std::vector<BookRule> rules;  // fillers left out
    std::vector<BookFile> files;  // empty unless the book has a file-boundary group
    std::array<uint32_t, kSectionGroupCount> groupEntries{};  // entries read, fillers included

    // Doc books.
    DocHeaderFields docHeader{};
    uint64_t docRecordBytes = 0;  // the text records' bytes
};

}  // namespace skerrit::preview
