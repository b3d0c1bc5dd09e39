// Fixed layout of the "VaDo" document database: the 78-byte Palm database header, the 8-byte
// record list entries with their unique IDs, the 64-byte header record (record 0) and the 4-byte
// prefix of every code table and text record. All numbers in the file are big-endian. The writer
// builds these parts and readers decode them with the same offsets.
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

// The database's type and creator, and the tag of its header record.
inline constexpr std::array<char, 4> kVaDoCode = {'V', 'a', 'D', 'o'};

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
static_assert(dbheader::kNumRecords + 2 == kDatabaseHeaderSize, "numRecords ends the header");

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
static_assert(hdrec::kReservedStart + 22 == kHeaderRecordSize, "22 reserved bytes end record 0");

// The extra-record groups of an HTML conversion, in the order they follow the text part, and
// the header-record fields that hold each group's first record index and record count.
enum SectionGroup : uint32_t {
    kGroupStyleRuns,
    kGroupLinks,
    kGroupRules,
    kGroupFileBoundaries,
    kSectionGroupCount
};
struct SectionGroupFields {
    uint32_t firstField;
    uint32_t countField;
};
inline constexpr std::array<SectionGroupFields, kSectionGroupCount> kSectionGroupFields = {{
    {hdrec::kStyleFirst, hdrec::kStyleCount},
    {hdrec::kLinkFirst, hdrec::kLinkCount},
    {hdrec::kRuleFirst, hdrec::kRuleCount},
    {hdrec::kBoundaryFirst, hdrec::kBoundaryCount},
}};
// Extra-record indexes stay below this: the handheld reader takes them as signed 16-bit numbers.
inline constexpr uint32_t kExtraRecordIndexLimit = 32768;

// Record kinds carried in byte 1 of the record prefix.
enum RecordKind : uint8_t {
    kRecordCodeTable = 1,
    kRecordCompressedText = 2,
    kRecordStoredText = 4,  // 4 + the number of zero bytes padding the chunk to a whole word
};
inline constexpr uint32_t kMaxStoredTextPadding = 3;

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

// Decoded forms of the same parts, for readers of a database.
struct RecordPrefix {
    uint8_t prefixSize;  // kRecordPrefixSize in every record the writer makes
    uint8_t kind;        // a RecordKind, or anything else in a damaged file
    uint16_t payloadWords;
    uint32_t recordSize() const { return kRecordPrefixSize + 4u * payloadWords; }
};
RecordPrefix decodeRecordPrefix(const uint8_t* prefix);

struct RecordListEntry {
    uint32_t recordOffset;
    uint8_t attributes;
    uint32_t uniqueId;  // 24 bits
};
RecordListEntry decodeRecordListEntry(const uint8_t* entry);

struct DatabaseHeaderFields {
    std::array<char, kDatabaseNameSize + 1> name;  // always zero-terminated
    uint16_t attributes;
    uint16_t version;
    uint32_t creationDate;
    uint32_t modificationDate;
    uint32_t backupDate;
    std::array<char, 5> type;  // four characters and a zero
    std::array<char, 5> creator;
    uint16_t numRecords;
};
DatabaseHeaderFields decodeDatabaseHeader(const uint8_t* header);

struct SectionGroupRange {
    uint16_t first;
    uint16_t count;
};
struct HeaderRecordFields {
    uint16_t recordSize;
    uint16_t constantOne;
    std::array<uint8_t, 4> constantBytes;
    std::array<char, 5> tag;
    uint32_t textLength;
    uint16_t recordsPerCodeTable;
    uint16_t textPartRecords;
    std::array<SectionGroupRange, kSectionGroupCount> groups;
    uint32_t conversionDate;
    uint16_t textFileCount;
};
HeaderRecordFields decodeHeaderRecord(const uint8_t* record);

// Whether a decoded header record carries the values every writer puts into its fixed fields.
bool hasHeaderRecordConstants(const HeaderRecordFields& fields);

}  // namespace skerrit
