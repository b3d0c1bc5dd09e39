// Builders for the fixed parts of the "VaDo" document database.
#include "encoder/DatabaseLayout.h"

#include <cstring>

#include "engine/ByteOrder.h"

namespace skerrit {

namespace {
constexpr std::array<uint8_t, 4> kVaDo = {'V', 'a', 'D', 'o'};
constexpr uint32_t kDatabaseVersion = 256;  // bytes 01 00
}  // namespace

DatabaseHeaderBytes buildDatabaseHeader(const char* title, uint32_t date, uint16_t numRecords) {
    DatabaseHeaderBytes header{};
    if (title != nullptr) {
        for (uint32_t i = 0; i + 1 < kDatabaseNameSize && title[i] != '\0'; ++i) {
            header[dbheader::kName + i] = static_cast<uint8_t>(title[i]);
        }
    }
    storeBigEndian16(&header[dbheader::kVersion], kDatabaseVersion);
    storeBigEndian32(&header[dbheader::kCreationDate], date);
    storeBigEndian32(&header[dbheader::kModificationDate], date);
    std::memcpy(&header[dbheader::kType], kVaDo.data(), kVaDo.size());
    std::memcpy(&header[dbheader::kCreator], kVaDo.data(), kVaDo.size());
    storeBigEndian16(&header[dbheader::kNumRecords], numRecords);
    return header;
}

void storeRecordListEntry(uint8_t* entry, uint32_t recordOffset, uint32_t recordIndex) {
    storeBigEndian32(entry, recordOffset);
    entry[4] = 0;  // attributes
    entry[5] = static_cast<uint8_t>(recordIndex);
    entry[6] = static_cast<uint8_t>(recordIndex >> 8);
    entry[7] = static_cast<uint8_t>(recordIndex >> 16);
}

HeaderRecordBytes buildHeaderRecord(uint32_t textLength, uint16_t recordsPerCodeTable,
                                    uint16_t textPartRecords) {
    HeaderRecordBytes record{};
    storeBigEndian16(&record[hdrec::kRecordSize], kHeaderRecordSize);
    storeBigEndian16(&record[hdrec::kConstantOne], 1);
    constexpr std::array<uint8_t, 4> kConstantBytes = {1, 0, 1, 0};
    std::memcpy(&record[hdrec::kConstantBytes], kConstantBytes.data(), kConstantBytes.size());
    std::memcpy(&record[hdrec::kTag], kVaDo.data(), kVaDo.size());
    storeBigEndian32(&record[hdrec::kTextLength], textLength);
    storeBigEndian16(&record[hdrec::kRecordsPerCodeTable], recordsPerCodeTable);
    storeBigEndian16(&record[hdrec::kTextPartRecords], textPartRecords);
    return record;
}

void storeRecordPrefix(uint8_t* prefix, RecordKind kind, uint32_t payloadWords) {
    prefix[0] = kRecordPrefixSize;
    prefix[1] = kind;
    storeBigEndian16(&prefix[2], payloadWords);
}

}  // namespace skerrit
