// Fixed layout of the "VaDo" document database: the 78-byte Palm database header, the 8-byte
// record list entries with their unique IDs, the 64-byte header record (record 0) and the 4-byte
// prefix of every code table and text record. All numbers in the file are big-endian.
#pragma once

#include <array>
#include <cstdint>

namespace skerrit {

inline constexpr uint32_t kDatabaseHeaderSize = 78;
inline constexpr uint32_t kRecordListEntrySize = 8;
inline constexpr uint32_t kRecordListGapSize = 2;  // two zero bytes after the record list
inline constexpr uint32_t kHeaderRecordSize = 64;
inline constexpr uint32_t kRecordPrefixSize = 4;
inline constexpr uint32_t kDatabaseNameSize = 32;  // 31 bytes of title and a zero

using DatabaseHeaderBytes = std::array<uint8_t, kDatabaseHeaderSize>;
using HeaderRecordBytes = std::array<uint8_t, kHeaderRecordSize>;

// Offsets inside the database header.
namespace dbheader {
inline constexpr uint32_t kName = 0;
inline constexpr uint32_t kAttributes = 32;
inline constexpr uint32_t kVersion = 34;
inline constexpr uint32_t kCreationDate = 36;
inline constexpr uint32_t kModificationDate = 40;
inline constexpr uint32_t kBackupDate = 44;
inline constexpr uint32_t kModificationNumber = 48;
inline constexpr uint32_t kAppInfoOffset = 52;
inline constexpr uint32_t kSortInfoOffset = 56;
inline constexpr uint32_t kType = 60;
inline constexpr uint32_t kCreator = 64;
inline constexpr uint32_t kUniqueIdSeed = 68;
inline constexpr uint32_t kNextRecordList = 72;
inline constexpr uint32_t kNumRecords = 76;
}  // namespace dbheader

// Offsets inside the header record (record 0).
namespace hdrec {
inline constexpr uint32_t kRecordSize = 0;
inline constexpr uint32_t kConstantOne = 2;
inline constexpr uint32_t kConstantBytes = 4;
inline constexpr uint32_t kTag = 8;
inline constexpr uint32_t kTextLength = 12;
inline constexpr uint32_t kRecordsPerCodeTable = 16;
inline constexpr uint32_t kTextPartRecords = 18;  // also the index of the first extra record
inline constexpr uint32_t kStyleFirst = 20;
inline constexpr uint32_t kStyleCount = 22;
inline constexpr uint32_t kLinkFirst = 24;
inline constexpr uint32_t kLinkCount = 26;
inline constexpr uint32_t kRuleFirst = 28;
inline constexpr uint32_t kRuleCount = 30;
inline constexpr uint32_t kConversionDate = 32;
inline constexpr uint32_t kTextFileCount = 36;
inline constexpr uint32_t kBoundaryFirst = 38;
inline constexpr uint32_t kBoundaryCount = 40;
inline constexpr uint32_t kReservedStart = 42;  // zero up to the end of the record
}  // namespace hdrec

// Record kinds carried in byte 1 of the record prefix.
enum RecordKind : uint8_t {
    kRecordCodeTable = 1,
    kRecordCompressedText = 2,
    kRecordStoredText = 4,  // 4 + the number of zero bytes padding the chunk to a whole word
};

// Records of the text part (record 0, code tables and text records) for a text of textLength
// bytes cut into chunks of chunkSize bytes, chunksPerGroup chunks to a code table. The answer can
// exceed 16 bits; the caller decides what is too many.
constexpr uint64_t textPartRecordCount(uint64_t textLength, uint32_t chunkSize,
                                       uint32_t chunksPerGroup) {
    const uint64_t groupBytes = uint64_t{chunkSize} * chunksPerGroup;
    const uint64_t fullGroups = textLength / groupBytes;
    const uint64_t rest = textLength - fullGroups * groupBytes;
    uint64_t records = fullGroups * (uint64_t{chunksPerGroup} + 1) + 1;
    if (rest > 0)
        records += 1 + (rest + chunkSize - 1) / chunkSize;
    return records;
}

// The database header as written: name from the first 31 bytes of the title, version 256, both
// dates equal, type and creator "VaDo", everything else zero.
DatabaseHeaderBytes buildDatabaseHeader(const char* title, uint32_t date, uint16_t numRecords);

// One record list entry: offset, attributes 0, and a unique ID holding the record's index with
// its least significant byte first.
void storeRecordListEntry(uint8_t* entry, uint32_t recordOffset, uint32_t recordIndex);

inline constexpr uint32_t recordListEntryPosition(uint32_t recordIndex) {
    return kDatabaseHeaderSize + kRecordListEntrySize * recordIndex;
}

// Header record fields 0 to 18; the rest is zero until the later writer steps fill it.
HeaderRecordBytes buildHeaderRecord(uint32_t textLength, uint16_t recordsPerCodeTable,
                                    uint16_t textPartRecords);

// The record prefix of a code table or text record with a payload of payloadWords words.
void storeRecordPrefix(uint8_t* prefix, RecordKind kind, uint32_t payloadWords);

}  // namespace skerrit
