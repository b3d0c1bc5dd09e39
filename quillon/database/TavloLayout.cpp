// Encoders for the Tavlo Pro header, record list and AppInfo block.
#include "database/TavloLayout.h"

#include <algorithm>

#include "database/ByteOrder.h"

namespace quillon {

AppInfo defaultAppInfo() {
    AppInfo info;
    info.types.fill(kDefaultFieldType);
    info.widths.fill(kDefaultColumnWidth);
    info.dataScreenWidth = kDefaultDataScreenWidth;
    info.firstDisplayColumn = kDefaultFirstDisplayColumn;
    info.extraBytes.assign(kEndMarker.begin(), kEndMarker.end());
    return info;
}

namespace {

size_t popupAreaSizeAsWritten(const AppInfo& info) {
    const size_t area = info.popupArea.empty() ? kEmptyPopupAreaSize : info.popupArea.size();
    if (area + info.extraBytes.size() < kMinPopupAndExtraSize) {
        return kMinPopupAndExtraSize - info.extraBytes.size();
    }
    return area;
}

}  // namespace

size_t appInfoSize(const AppInfo& info) {
    return kAppInfoFixedSize + popupAreaSizeAsWritten(info) + info.extraBytes.size();
}

std::vector<uint8_t> encodeAppInfo(const AppInfo& info) {
    std::vector<uint8_t> block(appInfoSize(info), 0);
    uint8_t* bytes = block.data();
    for (size_t field = 0; field < info.fieldCount && field < kMaxFields; ++field) {
        const std::string& name = info.names[field];
        const size_t length = std::min(name.size(), kMaxFieldNameLength);
        std::copy_n(name.begin(), length, bytes + kFieldNamesOffset + field * kFieldNameSlotSize);
    }
    for (size_t field = 0; field < kMaxFields; ++field) {
        storeBigEndian16(bytes + kFieldTypesOffset + 2 * field, info.types[field]);
        storeBigEndian16(bytes + kColumnWidthsOffset + 2 * field, info.widths[field]);
        storeBigEndian32(bytes + kExtraData1Offset + 4 * field,
                         static_cast<uint32_t>(info.extraData1[field]));
        storeBigEndian32(bytes + kExtraData2Offset + 4 * field,
                         static_cast<uint32_t>(info.extraData2[field]));
    }
    storeBigEndian16(bytes + kFieldCountOffset, static_cast<uint32_t>(info.fieldCount));
    storeBigEndian16(bytes + kLayoutConstantOffset, kLayoutConstant);
    storeBigEndian16(bytes + kDataScreenWidthOffset, info.dataScreenWidth);
    storeBigEndian16(bytes + kAppInfoFlagOffset, info.appInfoFlag);
    storeBigEndian16(bytes + kFirstDisplayColumnOffset, info.firstDisplayColumn);
    // The popup area and its padding are already zero where nothing is copied.
    std::copy(info.popupArea.begin(), info.popupArea.end(), bytes + kAppInfoFixedSize);
    std::copy(info.extraBytes.begin(), info.extraBytes.end(),
              block.end() - static_cast<std::ptrdiff_t>(info.extraBytes.size()));
    return block;
}

std::vector<uint8_t> encodeDatabasePrologue(std::string_view databaseName,
                                            const std::vector<uint32_t>& recordSizes,
                                            size_t appInfoBlockSize) {
    const size_t recordCount = recordSizes.size();
    const size_t listEnd = kHeaderSize + kRecordEntrySize * recordCount;
    std::vector<uint8_t> prologue(listEnd + kListGapSize, 0);
    uint8_t* header = prologue.data();
    std::copy_n(databaseName.begin(), std::min(databaseName.size(), kMaxDatabaseNameLength),
                header);
    storeBigEndian16(header + 32, kDatabaseAttributes);
    storeBigEndian16(header + 34, kDatabaseVersion);
    storeBigEndian32(header + 36, kFixedDate);  // creation date
    storeBigEndian32(header + 40, kFixedDate);  // modification date
    const auto appInfoOffset = static_cast<uint32_t>(listEnd + kListGapSize);
    storeBigEndian32(header + 52, appInfoOffset);
    std::copy(kDatabaseType.begin(), kDatabaseType.end(), header + 60);
    std::copy(kDatabaseCreator.begin(), kDatabaseCreator.end(), header + 64);
    storeBigEndian16(header + kNumRecordsOffset, static_cast<uint32_t>(recordCount));

    // Attributes and unique IDs stay 0; only the offsets are filled in.
    auto recordOffset = static_cast<uint32_t>(appInfoOffset + appInfoBlockSize);
    for (size_t record = 0; record < recordCount; ++record) {
        storeBigEndian32(header + kHeaderSize + kRecordEntrySize * record, recordOffset);
        recordOffset += recordSizes[record];
    }
    prologue[listEnd] = kListGap[0];
    prologue[listEnd + 1] = kListGap[1];
    return prologue;
}

std::vector<std::string> popupStrings(const std::vector<uint8_t>& popupArea) {
    std::vector<std::string> strings;
    std::string current;
    for (const uint8_t byte : popupArea) {
        if (byte != 0) {
            current.push_back(static_cast<char>(byte));
            continue;
        }
        if (current.empty()) {
            break;
        }
        strings.push_back(current);
        current.clear();
    }
    return strings;
}

}  // namespace quillon
