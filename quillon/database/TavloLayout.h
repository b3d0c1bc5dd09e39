// The one arrangement of a Tavlo Pro database that Quillon writes and reads: 78-byte header,
// record list, the two bytes 0x8C 0x00, the AppInfo block (always room for 50 fields), then the
// records back to back. Numbers are big-endian. This file holds the constants, the native form of
// the AppInfo block and the encoders; DatabaseReader.h reads the same arrangement back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr size_t kHeaderSize = 78;
inline constexpr size_t kRecordEntrySize = 8;
inline constexpr size_t kNumRecordsOffset = 76;
// The two bytes after the record list are 0x8C 0x00, not the usual zero padding.
inline constexpr std::array<uint8_t, 2> kListGap = {0x8C, 0x00};
inline constexpr size_t kListGapSize = kListGap.size();
inline constexpr uint8_t kDeletedRecordBit = 0x80;

inline constexpr size_t kDatabaseNameSize = 32;
inline constexpr size_t kMaxDatabaseNameLength = kDatabaseNameSize - 1;
inline constexpr uint16_t kDatabaseAttributes = 8;  // the backup attribute
inline constexpr uint16_t kDatabaseVersion = 1;
inline constexpr uint32_t kFixedDate = 0x33332675;  // both creation and modification date
inline constexpr std::string_view kDatabaseType = "Tavd";
inline constexpr std::string_view kDatabaseCreator = "Tavl";

inline constexpr size_t kMaxFields = 50;
inline constexpr size_t kFieldNameSlotSize = 21;
inline constexpr size_t kMaxFieldNameLength = kFieldNameSlotSize - 1;
// The record list Quillon holds; records beyond it are refused in both directions.
inline constexpr size_t kMaxRecords = 32000;

// AppInfo block offsets, from the start of the block.
inline constexpr size_t kFieldNamesOffset = 0;
inline constexpr size_t kFieldTypesOffset = 1050;
inline constexpr size_t kFieldCountOffset = 1150;
inline constexpr size_t kLayoutConstantOffset = 1152;
inline constexpr size_t kColumnWidthsOffset = 1154;
inline constexpr size_t kDataScreenWidthOffset = 1254;
inline constexpr size_t kZeroWordsOffset = 1256;  // five words, always 0
inline constexpr size_t kTextSlotsOffset = 1266;  // two 16-byte text slots, always empty
inline constexpr size_t kAppInfoFlagOffset = 1298;
inline constexpr size_t kFirstDisplayColumnOffset = 1300;
inline constexpr size_t kExtraData1Offset = 1302;
inline constexpr size_t kExtraData2Offset = 1502;
inline constexpr size_t kAppInfoFixedSize = 1702;  // where the popup area starts
static_assert(kFieldNamesOffset + kMaxFields * kFieldNameSlotSize == kFieldTypesOffset);
static_assert(kFieldTypesOffset + kMaxFields * 2 == kFieldCountOffset);
static_assert(kColumnWidthsOffset + kMaxFields * 2 == kDataScreenWidthOffset);
static_assert(kExtraData1Offset + kMaxFields * 4 == kExtraData2Offset);
static_assert(kExtraData2Offset + kMaxFields * 4 == kAppInfoFixedSize);

inline constexpr uint16_t kLayoutConstant = 576;
// Popup area plus extra bytes never come to fewer than 4 bytes: the block is at least 1,706 long.
inline constexpr size_t kMinPopupAndExtraSize = 4;
inline constexpr size_t kEmptyPopupAreaSize = 4;
inline constexpr size_t kMaxPopupAreaSize = 10000;
inline constexpr std::string_view kEndMarker{"EndTavloData\0", 13};
// The marker must end within the 13 bytes first read and 4,000 more.
inline constexpr size_t kMaxExtraBytesRead = kEndMarker.size() + 4000;

inline constexpr uint16_t kBinaryFieldType = 68;
inline constexpr uint16_t kDefaultFieldType = 1;
inline constexpr uint16_t kDefaultColumnWidth = 80;
inline constexpr uint16_t kDefaultDataScreenWidth = 80;
inline constexpr uint16_t kDefaultFirstDisplayColumn = 1;
inline constexpr int kMaxColumnWidth = 160;
inline constexpr int kMaxFirstDisplayColumn = 19;

// Reading limits. A text value may hold 4,000 bytes with its NUL: the writer accepts 3,999
// characters of text, so the reader holds one byte more than the old 3,999 to read its own files.
inline constexpr size_t kMaxRecordSizeRead = 10000;
inline constexpr size_t kMaxTextValueRead = 4000;
inline constexpr size_t kMaxBinaryValueRead = 1999;

// The AppInfo block with its numbers in native form. The 16-bit fields keep their raw bit
// pattern; the information file shows them as signed numbers.
struct AppInfo {
    size_t fieldCount = 0;
    std::array<std::string, kMaxFields> names;
    std::array<uint16_t, kMaxFields> types{};
    std::array<uint16_t, kMaxFields> widths{};
    uint16_t dataScreenWidth = 0;
    uint16_t firstDisplayColumn = 0;
    uint16_t appInfoFlag = 0;
    std::array<int32_t, kMaxFields> extraData1{};
    std::array<int32_t, kMaxFields> extraData2{};
    // NUL-terminated strings and the closing empty string, as stored; empty means no popup lists
    // (written as 4 zero bytes).
    std::vector<uint8_t> popupArea;
    // Opaque bytes ending with the end marker.
    std::vector<uint8_t> extraBytes;
};

// The values written when there is no information file.
AppInfo defaultAppInfo();

// The block as written: fixed part, popup area (padded so that it and the extra bytes come to at
// least 4 bytes), extra bytes.
std::vector<uint8_t> encodeAppInfo(const AppInfo& info);
size_t appInfoSize(const AppInfo& info);

// Header and record list for numRecords records; recordSizes gives each record's size so that
// the list can carry every offset.
std::vector<uint8_t> encodeDatabasePrologue(std::string_view databaseName,
                                            const std::vector<uint32_t>& recordSizes,
                                            size_t appInfoBlockSize);

// The strings of a popup area, up to its first empty string.
std::vector<std::string> popupStrings(const std::vector<uint8_t>& popupArea);

}  // namespace quillon
