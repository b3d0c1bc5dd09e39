// Sequential reader of the Tavlo 3.x layout.
#include "legacy/Tavlo3Reader.h"

#include <algorithm>

#include "database/ByteOrder.h"

namespace quillon::tavlo3 {

namespace {

constexpr std::string_view kTruncatedAppInfo =
    "Error - The Tavlo 3.x database ends inside its AppInfo block";

}  // namespace

bool Tavlo3Reader::fail(std::string message) {
    errorMessage_ = std::move(message);
    return false;
}

bool Tavlo3Reader::readPrologue() {
    return readHeaderAndList() && readFixedAppInfo() && readPopupArea();
}

bool Tavlo3Reader::readHeaderAndList() {
    std::array<uint8_t, kHeaderSize> header{};
    if (input_.read(header.data(), header.size()) != header.size()) {
        return fail("Error - The file is too short for a Tavlo 3.x database");
    }
    const std::string_view type(reinterpret_cast<const char*>(header.data() + kTypeOffset), 4);
    const std::string_view creator(reinterpret_cast<const char*>(header.data() + kCreatorOffset),
                                   4);
    // A Tavlo Pro database (type "Tavd") needs no upgrade; anything else is not ours to read.
    if (type != kDatabaseType || creator != kDatabaseCreator) {
        return fail("Error - The file is not a Tavlo 3.x database (type Tav3, creator Tavl)");
    }
    const size_t numRecords = loadBigEndian16(header.data() + kNumRecordsOffset);
    if (numRecords > kMaxRecords) {
        return fail("Error - The Tavlo 3.x database holds " + std::to_string(numRecords) +
                    " records; at most 32000 can be converted");
    }
    liveRecordCount_ = numRecords;
    std::array<uint8_t, kRecordEntrySize> entry{};
    for (size_t index = 0; index < numRecords; ++index) {
        if (input_.read(entry.data(), entry.size()) != entry.size()) {
            return fail("Error - The Tavlo 3.x database ends inside its record list");
        }
        if ((entry[4] & kDeletedRecordBit) != 0) {
            --liveRecordCount_;
        }
    }
    std::array<uint8_t, kListGapSize> gap{};
    if (input_.read(gap.data(), gap.size()) != gap.size()) {
        return fail(std::string(kTruncatedAppInfo));
    }
    return true;
}

bool Tavlo3Reader::readFixedAppInfo() {
    std::array<uint8_t, kAppInfoFixedSize> block{};
    if (input_.read(block.data(), block.size()) != block.size()) {
        return fail(std::string(kTruncatedAppInfo));
    }
    const uint8_t* bytes = block.data();
    const size_t fieldCount = loadBigEndian16(bytes + kFieldCountOffset);
    if (fieldCount == 0 || fieldCount > kMaxFields) {
        return fail("Error - The Tavlo 3.x database has " + std::to_string(fieldCount) +
                    " fields; a Tavlo 3.x database has 1 to 30 fields");
    }
    appInfo_.fieldCount = fieldCount;
    for (size_t field = 0; field < kMaxFields; ++field) {
        const auto* slot = bytes + kFieldNamesOffset + field * kFieldNameSlotSize;
        const auto* terminator = std::find(slot, slot + kFieldNameSlotSize, 0);
        // A slot without its NUL keeps 20 characters, the most a Tavlo Pro field name holds.
        appInfo_.names[field].assign(slot, std::min(terminator, slot + kMaxFieldNameLength));
        appInfo_.types[field] = loadBigEndian16(bytes + kFieldTypesOffset + 2 * field);
        appInfo_.widths[field] = loadBigEndian16(bytes + kColumnWidthsOffset + 2 * field);
    }
    appInfo_.dataScreenWidth = loadBigEndian16(bytes + kDataScreenWidthOffset);
    appInfo_.firstDisplayColumn = loadBigEndian16(bytes + kFirstDisplayColumnOffset);
    appInfo_.sortField = loadBigEndian16(bytes + kSortFieldOffset);
    appInfo_.viewFlags = loadBigEndian16(bytes + kViewFlagsOffset);
    return true;
}

// NUL-terminated strings up to the closing empty string, at most 10,000 bytes in all.
bool Tavlo3Reader::readPopupArea() {
    size_t areaSize = 0;
    std::string current;
    for (;;) {
        const int byte = input_.get();
        if (byte == kEndOfFile) {
            return fail(std::string(kTruncatedAppInfo));
        }
        if (++areaSize > kMaxPopupAreaSize) {
            return fail("Error - The popup lists in the Tavlo 3.x database exceed 10000 bytes");
        }
        if (byte != 0) {
            current.push_back(static_cast<char>(byte));
            continue;
        }
        if (current.empty()) {
            return true;
        }
        appInfo_.popupStrings.push_back(std::move(current));
        current.clear();
    }
}

bool Tavlo3Reader::readRecord() {
    const size_t fieldCount = appInfo_.fieldCount;
    const size_t recordNumber = ++recordsRead_;
    std::array<uint8_t, 2 * kMaxFields> lengthBytes{};
    auto endsInside = [this, recordNumber] {
        return fail("Error - The Tavlo 3.x database ends inside record " +
                    std::to_string(recordNumber));
    };
    if (input_.read(lengthBytes.data(), 2 * fieldCount) != 2 * fieldCount) {
        return endsInside();
    }
    size_t valuesSize = 0;
    for (size_t field = 0; field < fieldCount; ++field) {
        const size_t length = loadBigEndian16(lengthBytes.data() + 2 * field);
        const size_t limit =
            appInfo_.types[field] == kBinaryFieldType ? kMaxBinaryValueRead : kMaxTextValueRead;
        if (length > limit) {
            return fail("Error - Field " + std::to_string(field + 1) + " of record " +
                        std::to_string(recordNumber) + " in the Tavlo 3.x database is too long");
        }
        valueOffsets_[field] = valuesSize;
        valueLengths_[field] = length;
        valuesSize += length;
    }
    if (2 * fieldCount + valuesSize > kMaxRecordSizeRead) {
        return fail("Error - Record " + std::to_string(recordNumber) +
                    " in the Tavlo 3.x database is longer than 10000 bytes");
    }
    record_.resize(valuesSize);
    if (input_.read(record_.data(), valuesSize) != valuesSize) {
        return endsInside();
    }
    return true;
}

}  // namespace quillon::tavlo3
