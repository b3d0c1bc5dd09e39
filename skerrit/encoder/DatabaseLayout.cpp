// Builders for the fixed parts of the "VaDo" document database.
#include "encoder/DatabaseLayout.h"

#include <cstring>

#include "engine/ByteOrder.h"

namespace skerrit {

namespace {
constexpr const std::array<char, 4>& kVaDo = kVaDoCode;
constexpr uint32_t kDatabaseVersion = 256;  // bytes 01 00
constexpr std::array<uint8_t, 4> kHeaderRecordConstantBytes = {1, 0, 1, 0};
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
    std::memcpy(&record[hdrec::kConstantBytes], kHeaderRecordConstantBytes.data(),
                kHeaderRecordConstantBytes.size());
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

RecordPrefix decodeRecordPrefix(const uint8_t* prefix) {
    return RecordPrefix{prefix[0], prefix[1], loadBigEndian16(&prefix[2])};
}

RecordListEntry decodeRecordListEntry(const uint8_t* entry) {
    const uint32_t uniqueId =
        uint32_t{entry[5]} | (uint32_t{entry[6]} << 8) | (uint32_t{entry[7]} << 16);
    return RecordListEntry{loadBigEndian32(entry), entry[4], uniqueId};
}

namespace {

std::array<char, 5> fourCharacters(const uint8_t* bytes) {
    return {static_cast<char>(bytes[0]), static_cast<char>(bytes[1]), static_cast<char>(bytes[2]),
            static_cast<char>(bytes[3]), '\0'};
}

}  // namespace

DatabaseHeaderFields decodeDatabaseHeader(const uint8_t* header) {
    DatabaseHeaderFields fields{};
    std::memcpy(fields.name.data(), &header[dbheader::kName], kDatabaseNameSize);
    fields.name[kDatabaseNameSize] = '\0';
    fields.attributes = loadBigEndian16(&header[dbheader::kAttributes]);
    fields.version = loadBigEndian16(&header[dbheader::kVersion]);
    fields.creationDate = loadBigEndian32(&header[dbheader::kCreationDate]);
    fields.modificationDate = loadBigEndian32(&header[dbheader::kModificationDate]);
    fields.backupDate = loadBigEndian32(&header[dbheader::kBackupDate]);
    fields.type = fourCharacters(&header[dbheader::kType]);
    fields.creator = fourCharacters(&header[dbheader::kCreator]);
    fields.numRecords = loadBigEndian16(&header[dbheader::kNumRecords]);
    return fields;
}

HeaderRecordFields decodeHeaderRecord(const uint8_t* record) {
    HeaderRecordFields fields{};
    fields.recordSize = loadBigEndian16(&record[hdrec::kRecordSize]);
    fields.constantOne = loadBigEndian16(&record[hdrec::kConstantOne]);
    std::memcpy(fields.constantBytes.data(), &record[hdrec::kConstantBytes], 4);
    fields.tag = fourCharacters(&record[hdrec::kTag]);
    fields.textLength = loadBigEndian32(&record[hdrec::kTextLength]);
    fields.recordsPerCodeTable = loadBigEndian16(&record[hdrec::kRecordsPerCodeTable]);
    fields.textPartRecords = loadBigEndian16(&record[hdrec::kTextPartRecords]);
    for (uint32_t group = 0; group < kSectionGroupCount; ++group) {
        fields.groups[group].first =
            loadBigEndian16(&record[kSectionGroupFields[group].firstField]);
        fields.groups[group].count =
            loadBigEndian16(&record[kSectionGroupFields[group].countField]);
    }
    fields.conversionDate = loadBigEndian32(&record[hdrec::kConversionDate]);
    fields.textFileCount = loadBigEndian16(&record[hdrec::kTextFileCount]);
    return fields;
}

bool hasHeaderRecordConstants(const HeaderRecordFields& fields) {
    return fields.recordSize == kHeaderRecordSize && fields.constantOne == 1 &&
           fields.constantBytes == kHeaderRecordConstantBytes &&
           std::memcmp(fields.tag.data(), kVaDo.data(), kVaDo.size()) == 0;
}

}  // namespace skerrit
