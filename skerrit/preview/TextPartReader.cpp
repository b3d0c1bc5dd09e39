// Walks the text part in the order the writer lays it out and decodes each chunk into the text.
#include "preview/TextPartReader.h"

#include <algorithm>
#include <array>
#include <string>

#include "preview/CodedTextDecoder.h"

namespace skerrit::preview {
namespace {

std::string kindName(uint8_t kind) {
    switch (kind) {
        case kRecordCodeTable:
            return "a code table";
        case kRecordCompressedText:
            return "compressed text";
        default:
            return kind >= kRecordStoredText && kind <= kRecordStoredText + kMaxStoredTextPadding
                       ? "stored text"
                       : "kind " + std::to_string(kind);
    }
}

// The record's payload when its prefix is sound and says exactly the record's size.
bool readPrefix(const PalmContainer& container, uint32_t index, RecordPrefix& prefix,
                ByteSpan& payload, ReadFailure& failure) {
    const ByteSpan record = container.records[index];
    if (record.size() < kRecordPrefixSize)
        return fail(failure, index, "it is too short for a record prefix");
    prefix = decodeRecordPrefix(record.data());
    if (prefix.prefixSize != kRecordPrefixSize)
        return fail(failure, index, "its prefix does not start with its size 4");
    if (prefix.recordSize() != record.size()) {
        return fail(failure, index,
                    "its prefix announces " + std::to_string(prefix.recordSize()) +
                        " bytes but the record has " + std::to_string(record.size()));
    }
    payload = record.subspan(kRecordPrefixSize);
    return true;
}

bool readHeaderRecordFields(const PalmContainer& container, Book& book, ReadFailure& failure) {
    if (container.records.empty())
        return fail(failure, kWholeFile, "the database has no records");
    const ByteSpan record = container.records[0];
    if (record.size() < kHeaderRecordSize) {
        return fail(
            failure, 0,
            "the header record has " + std::to_string(record.size()) + " bytes instead of 64");
    }
    book.headerRecord = decodeHeaderRecord(record.data());
    const HeaderRecordFields& fields = book.headerRecord;
    if (!hasHeaderRecordConstants(fields))
        return fail(failure, 0, "it is not a VaDo header record");
    if (fields.textLength == 0 || fields.recordsPerCodeTable == 0)
        return fail(failure, 0, "the header record gives no text or no group size");
    const uint64_t expected =
        textPartRecordCount(fields.textLength, kTextChunkSize, fields.recordsPerCodeTable);
    if (expected != fields.textPartRecords) {
        return fail(failure, 0,
                    "a text of " + std::to_string(fields.textLength) + " bytes takes " +
                        std::to_string(expected) + " records, the header record says " +
                        std::to_string(fields.textPartRecords));
    }
    if (fields.textPartRecords > container.records.size()) {
        return fail(failure, 0,
                    "the text part of " + std::to_string(fields.textPartRecords) +
                        " records is longer than the database");
    }
    return true;
}

// Appends one chunk decoded from text record `index`.
bool readTextRecord(const PalmContainer& container, uint32_t index, const GroupCodeTable& table,
                    uint32_t chunkLength, Book& book, ReadFailure& failure) {
    RecordPrefix prefix{};
    ByteSpan payload;
    if (!readPrefix(container, index, prefix, payload, failure))
        return false;
    std::array<uint8_t, kTextChunkSize> chunk{};
    uint32_t length = 0;
    if (prefix.kind == kRecordCompressedText) {
        const CodedTextStatus status = decodeCodedText(payload, table, chunk, length);
        if (status != CodedTextStatus::kOk) {
            return fail(
                failure, index,
                std::string("the compressed text is damaged: ") + describeCodedTextStatus(status));
        }
        book.textPart.compressedRecords += 1;
    } else if (prefix.kind >= kRecordStoredText &&
               prefix.kind <= kRecordStoredText + kMaxStoredTextPadding) {
        const uint32_t padding = prefix.kind - kRecordStoredText;
        if (payload.size() < padding || payload.size() - padding > kTextChunkSize)
            return fail(failure, index, "the stored text does not fit its chunk");
        length = static_cast<uint32_t>(payload.size()) - padding;
        for (uint32_t at = length; at < payload.size(); ++at) {
            if (payload[at] != 0)
                return fail(failure, index, "the stored text's padding is not zero");
        }
        std::copy_n(payload.begin(), length, chunk.begin());
        book.textPart.storedRecords += 1;
    } else {
        return fail(failure, index, "a text record was expected, not " + kindName(prefix.kind));
    }
    if (length != chunkLength) {
        return fail(failure, index,
                    "it holds " + std::to_string(length) + " bytes of text where its chunk has " +
                        std::to_string(chunkLength));
    }
    book.text.append(reinterpret_cast<const char*>(chunk.data()), length);
    book.textPart.recordBytes += container.records[index].size();
    return true;
}

bool readCodeTableRecord(const PalmContainer& container, uint32_t index, GroupCodeTable& table,
                         Book& book, ReadFailure& failure) {
    RecordPrefix prefix{};
    ByteSpan payload;
    if (!readPrefix(container, index, prefix, payload, failure))
        return false;
    if (prefix.kind != kRecordCodeTable)
        return fail(failure, index, "a code table was expected, not " + kindName(prefix.kind));
    const CodedTextStatus status = readCodeTable(payload, table);
    if (status != CodedTextStatus::kOk) {
        return fail(failure, index,
                    std::string("the code table is damaged: ") + describeCodedTextStatus(status));
    }
    book.textPart.codeTables += 1;
    book.textPart.recordBytes += container.records[index].size();
    return true;
}

}  // namespace

bool readTextPart(const PalmContainer& container, Book& book, ReadFailure& failure) {
    if (!readHeaderRecordFields(container, book, failure))
        return false;
    const uint32_t textLength = book.headerRecord.textLength;
    const uint32_t groupSize = book.headerRecord.recordsPerCodeTable;
    const uint32_t chunkCount = (textLength - 1) / kTextChunkSize + 1;
    book.text.clear();
    GroupCodeTable table;
    uint32_t index = 1;
    for (uint32_t chunk = 0; chunk < chunkCount; ++chunk) {
        if (chunk % groupSize == 0 &&
            !readCodeTableRecord(container, index++, table, book, failure))
            return false;
        const uint32_t chunkLength =
            chunk + 1 < chunkCount ? kTextChunkSize : textLength - chunk * kTextChunkSize;
        if (!readTextRecord(container, index++, table, chunkLength, book, failure))
            return false;
    }
    return true;
}

}  // namespace skerrit::preview
