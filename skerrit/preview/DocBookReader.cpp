// Reads the Doc header record and decodes the text records with the PalmDOC decoder that Skerrit's
// own Doc input uses.
#include "preview/DocBookReader.h"

#include <string>

#include "encoder/DocReader.h"

namespace skerrit::preview {
namespace {

bool readDocTextRecord(ByteSpan record, uint16_t compression, uint32_t index, Book& book,
                       ReadFailure& failure) {
    if (compression == kDocUncompressed) {
        book.text.append(reinterpret_cast<const char*>(record.data()), record.size());
        return true;
    }
    size_t at = 0;
    auto next = [&]() -> int32_t { return at < record.size() ? record[at++] : kRecordEnd; };
    std::array<uint8_t, kDocRecordCapacity> text{};
    const int32_t length = decodePalmDocRecord(next, text);
    if (length < 0)
        return fail(failure, index, "the PalmDOC-compressed text is damaged");
    book.text.append(reinterpret_cast<const char*>(text.data()), static_cast<size_t>(length));
    return true;
}

}  // namespace

bool readDocBook(const PalmContainer& container, Book& book, ReadFailure& failure) {
    book.kind = BookKind::kDoc;
    if (container.records.empty())
        return fail(failure, kWholeFile, "the Doc book has no records");
    const ByteSpan header = container.records[0];
    if (header.size() < docheader::kReadSize) {
        return fail(
            failure, 0,
            "the Doc header record has " + std::to_string(header.size()) + " bytes, fewer than 12");
    }
    book.docHeader = decodeDocHeader(header.data());
    const uint16_t compression = book.docHeader.compression;
    if (compression != kDocUncompressed && compression != kDocPalmDocCompressed) {
        return fail(
            failure, 0,
            "compression " + std::to_string(compression) + " is neither 1 (none) nor 2 (PalmDOC)");
    }
    if (book.docHeader.textRecordCount >= container.records.size()) {
        return fail(failure, 0,
                    "it counts " + std::to_string(book.docHeader.textRecordCount) +
                        " text records, the database has " +
                        std::to_string(container.records.size() - 1) + " after it");
    }
    book.text.clear();
    book.docRecordBytes = 0;
    for (uint32_t index = 1; index <= book.docHeader.textRecordCount; ++index) {
        if (!readDocTextRecord(container.records[index], compression, index, book, failure))
            return false;
        book.docRecordBytes += container.records[index].size();
    }
    return true;
}

}  // namespace skerrit::preview
