// Sequential reader of the Tavlo Pro layout, with the popup-area and end-marker rules.
#include "database/DatabaseReader.h"

#include <algorithm>
#include <cstring>

#include "database/ByteOrder.h"

namespace quillon {

bool DatabaseReader::fail(std::string message) {
    errorMessage_ = std::move(message);
    return false;
}

bool DatabaseReader::readPrologue() {
    return readHeaderAndList() && readFixedAppInfo() && readPopupArea() && readExtraBytes();
}

bool DatabaseReader::readHeaderAndList() {
    std::array<uint8_t, kHeaderSize> header{};
    if (input_.read(header.data(), header.size()) != header.size()) {
        return fail("Error - The .pdb file ends inside its header");
    }
    // Type and creator are not examined: any Palm database is read the same way.
    const size_t numRecords = loadBigEndian16(header.data() + kNumRecordsOffset);
    if (numRecords > kMaxRecords) {
        return fail("Error - The .pdb file holds " + std::to_string(numRecords) +
                    " records; 32000 records is the maximum limit for Tavlo.");
    }
    liveRecordCount_ = numRecords;
    std::array<uint8_t, kRecordEntrySize> entry{};
    for (size_t index = 0; index < numRecords; ++index) {
        if (input_.read(entry.data(), entry.size()) != entry.size()) {
            return fail("Error - The .pdb file ends inside its record list");
        }
        if ((entry[4] & kDeletedRecordBit) != 0) {
            --liveRecordCount_;
        }
    }
    std::array<uint8_t, kListGapSize> gap{};
    if (input_.read(gap.data(), gap.size()) != gap.size()) {
        return fail(std::string(kInvalidAppInfoMessage));
    }
    return true;
}

bool DatabaseReader::readFixedAppInfo() {
    std::array<uint8_t, kAppInfoFixedSize> block{};
    if (input_.read(block.data(), block.size()) != block.size()) {
        return fail(std::string(kInvalidAppInfoMessage));
    }
    const uint8_t* bytes = block.data();
    const size_t fieldCount = loadBigEndian16(bytes + kFieldCountOffset);
    if (fieldCount == 0 || fieldCount > kMaxFields) {
        return fail("Error - The .pdb file has " + std::to_string(fieldCount) +
                    " fields; a Tavlo database has 1 to 50 fields.");
    }
    appInfo_.fieldCount = fieldCount;
    for (size_t field = 0; field < kMaxFields; ++field) {
        const auto* slot = bytes + kFieldNamesOffset + field * kFieldNameSlotSize;
        const auto* terminator = std::find(slot, slot + kFieldNameSlotSize, 0);
        appInfo_.names[field].assign(slot, terminator);
        appInfo_.types[field] = loadBigEndian16(bytes + kFieldTypesOffset + 2 * field);
        appInfo_.widths[field] = loadBigEndian16(bytes + kColumnWidthsOffset + 2 * field);
        appInfo_.extraData1[field] =
            static_cast<int32_t>(loadBigEndian32(bytes + kExtraData1Offset + 4 * field));
        appInfo_.extraData2[field] =
            static_cast<int32_t>(loadBigEndian32(bytes + kExtraData2Offset + 4 * field));
    }
    appInfo_.firstDisplayColumn = loadBigEndian16(bytes + kFirstDisplayColumnOffset);
    appInfo_.dataScreenWidth = loadBigEndian16(bytes + kDataScreenWidthOffset);
    appInfo_.appInfoFlag = loadBigEndian16(bytes + kAppInfoFlagOffset);
    return true;
}

// An area whose first byte is zero is the empty area of 4 bytes. Any other area runs up to its
// closing empty string, the two zero bytes in a row. The older rule stopped after 4 bytes whenever
// the second byte was zero, which cut off an area whose first string has a single character and
// then lost the end marker; reading to the closing empty string reads every area the writer makes.
bool DatabaseReader::readPopupArea() {
    std::vector<uint8_t>& area = appInfo_.popupArea;
    area.clear();
    const int first = input_.get();
    if (first == kEndOfFile) {
        return fail(std::string(kInvalidAppInfoMessage));
    }
    area.push_back(static_cast<uint8_t>(first));
    if (first == 0) {
        std::array<uint8_t, kEmptyPopupAreaSize - 1> rest{};
        if (input_.read(rest.data(), rest.size()) != rest.size()) {
            return fail(std::string(kInvalidAppInfoMessage));
        }
        area.insert(area.end(), rest.begin(), rest.end());
        return true;
    }
    while (area.size() < 2 || area[area.size() - 1] != 0 || area[area.size() - 2] != 0) {
        if (area.size() == kMaxPopupAreaSize) {
            return fail("Error - The popup lists in the .pdb file exceed 10000 bytes");
        }
        const int byte = input_.get();
        if (byte == kEndOfFile) {
            return fail(std::string(kInvalidAppInfoMessage));
        }
        area.push_back(static_cast<uint8_t>(byte));
    }
    return true;
}

bool DatabaseReader::readExtraBytes() {
    std::vector<uint8_t>& extra = appInfo_.extraBytes;
    extra.assign(kEndMarker.size(), 0);
    if (input_.read(extra.data(), extra.size()) != extra.size()) {
        return fail(std::string(kInvalidAppInfoMessage));
    }
    auto endsWithMarker = [&extra] {
        return std::memcmp(extra.data() + extra.size() - kEndMarker.size(), kEndMarker.data(),
                           kEndMarker.size()) == 0;
    };
    while (!endsWithMarker()) {
        const int byte = extra.size() < kMaxExtraBytesRead ? input_.get() : kEndOfFile;
        if (byte == kEndOfFile) {
            return fail(std::string(kInvalidAppInfoMessage));
        }
        extra.push_back(static_cast<uint8_t>(byte));
    }
    return true;
}

bool DatabaseReader::readRecord() {
    const size_t fieldCount = appInfo_.fieldCount;
    const size_t recordNumber = ++recordsRead_;
    std::array<uint8_t, 2 * kMaxFields> lengthBytes{};
    auto endsInside = [this, recordNumber] {
        return fail("Error - The .pdb file ends inside record " + std::to_string(recordNumber));
    };
    if (input_.read(lengthBytes.data(), 2 * fieldCount) != 2 * fieldCount) {
        return endsInside();
    }
    size_t recordSize = 2 * fieldCount;
    for (size_t field = 0; field < fieldCount; ++field) {
        const size_t length = loadBigEndian16(lengthBytes.data() + 2 * field);
        const bool binary = appInfo_.types[field] == kBinaryFieldType;
        const size_t limit = binary ? kMaxBinaryValueRead : kMaxTextValueRead;
        if (length > limit) {
            return fail("Error - Field " + std::to_string(field + 1) + " of record " +
                        std::to_string(recordNumber) + " in the .pdb file is too long (" +
                        std::to_string(length) + " bytes; at most " + std::to_string(limit) + ")");
        }
        valueOffsets_[field] = recordSize - 2 * fieldCount;
        valueLengths_[field] = length;
        recordSize += length;
    }
    if (recordSize > kMaxRecordSizeRead) {
        return fail("Error - Record " + std::to_string(recordNumber) +
                    " in the .pdb file is longer than 10000 bytes");
    }
    const size_t valuesSize = recordSize - 2 * fieldCount;
    record_.resize(valuesSize);
    if (input_.read(record_.data(), valuesSize) != valuesSize) {
        return endsInside();
    }
    return true;
}

}  // namespace quillon
