// The three writer operations. The writer keeps no state between them: the header record in the
// destination carries everything, so the later two operations find it through the record list,
// read it back and rewrite it in place.
#include "encoder/DatabaseWriter.h"

#include <array>

#include "encoder/CallbackIo.h"
#include "encoder/DatabaseLayout.h"
#include "encoder/PalmDate.h"
#include "encoder/RecordEncoder.h"
#include "encoder/RecordLocator.h"
#include "engine/ByteOrder.h"
#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

constexpr uint32_t kMaxRecords = kMaxRecordCount;
constexpr uint32_t kCopyPieceSize = 4096;
constexpr uint8_t kLineFeed = 10;

// Walks the records just written from the data start and writes their list entries: record 0
// is as long as its first field says, every later one as its 4-byte prefix says.
[[nodiscard]] bool writeTextPartRecordList(const ConverterCallbacks& callbacks,
                                           FileObject destination, uint32_t dataStart,
                                           uint32_t textPartRecords) {
    uint32_t offset = dataStart;
    for (uint32_t index = 0; index < textPartRecords; ++index) {
        std::array<uint8_t, kRecordPrefixSize> prefix{};
        if (!seekTo(callbacks, destination, offset))
            return false;
        uint32_t size = 0;
        if (index == 0) {
            if (!readExactly(callbacks, destination, 2, prefix.data()))
                return false;
            size = loadBigEndian16(prefix.data());
        } else {
            if (!readExactly(callbacks, destination, kRecordPrefixSize, prefix.data())) {
                return false;
            }
            size = decodeRecordPrefix(prefix.data()).recordSize();
        }
        std::array<uint8_t, kRecordListEntrySize> entry{};
        storeRecordListEntry(entry.data(), offset, index);
        if (!seekTo(callbacks, destination, recordListEntryPosition(index)) ||
            !writeExactly(callbacks, destination, kRecordListEntrySize, entry.data())) {
            return false;
        }
        offset += size;
    }
    return true;
}

[[nodiscard]] bool writeHeaderRecordAt(const ConverterCallbacks& callbacks, FileObject destination,
                                       uint32_t offset, const HeaderRecordBytes& record) {
    return seekTo(callbacks, destination, offset) &&
           writeExactly(callbacks, destination, kHeaderRecordSize, record.data());
}

[[nodiscard]] bool copyStream(const ConverterCallbacks& callbacks, FileObject source, uint32_t size,
                              FileObject destination) {
    std::array<uint8_t, kCopyPieceSize> piece{};
    for (uint32_t copied = 0; copied < size;) {
        const uint32_t count = size - copied < kCopyPieceSize ? size - copied : kCopyPieceSize;
        if (!readExactly(callbacks, source, count, piece.data()) ||
            !writeExactly(callbacks, destination, count, piece.data())) {
            return false;
        }
        copied += count;
    }
    return true;
}

// The first-record and count fields of the four extra-record groups, in the order the HTML
// conversion writes the groups.
[[nodiscard]] bool fillGroupFields(HeaderRecordBytes& record, uint32_t firstExtraIndex,
                                   const HtmlJob& job) {
    const std::array<int32_t, kSectionGroupCount> counts = {job.styleCount, job.linkCount,
                                                            job.ruleCount, job.boundaryCount};
    int64_t position = firstExtraIndex;
    for (uint32_t group = 0; group < kSectionGroupCount; ++group) {
        if (counts[group] < 0)
            return false;
        storeBigEndian16(&record[kSectionGroupFields[group].firstField],
                         static_cast<uint32_t>(position));
        storeBigEndian16(&record[kSectionGroupFields[group].countField],
                         static_cast<uint32_t>(counts[group]));
        position += counts[group];
        if (position >= kExtraRecordIndexLimit)
            return false;
    }
    storeBigEndian16(&record[hdrec::kTextFileCount], static_cast<uint32_t>(job.textFileCount));
    return true;
}

}  // namespace

int32_t writeDatabase(const ConverterCallbacks& callbacks, FileObject textStream,
                      FileObject scratchStream, FileObject destination, const char* title,
                      uint32_t chunkSize, uint32_t chunksPerGroup, uint32_t extraRecordCount) {
    const uint32_t date = currentPalmDate();

    uint32_t textLength = 0;
    if (!seekToEnd(callbacks, textStream, &textLength))
        return kResultConversionFailed;
    if (textLength == 0) {
        // The reader needs at least one byte of text.
        if (!writeExactly(callbacks, textStream, 1, &kLineFeed))
            return kResultConversionFailed;
        textLength = 1;
    }

    if (chunkSize == 0 || chunksPerGroup == 0)
        return kResultConversionFailed;
    const uint64_t textPartRecords = textPartRecordCount(textLength, chunkSize, chunksPerGroup);
    // A count that does not fit numRecords would put the record list over the records.
    if (textPartRecords > kMaxRecords || textPartRecords + extraRecordCount > kMaxRecords) {
        return kResultConversionFailed;
    }
    const auto numRecords = static_cast<uint32_t>(textPartRecords + extraRecordCount);

    const DatabaseHeaderBytes header =
        buildDatabaseHeader(title, date, static_cast<uint16_t>(numRecords));
    if (!seekTo(callbacks, destination, 0) ||
        !writeExactly(callbacks, destination, kDatabaseHeaderSize, header.data())) {
        return kResultConversionFailed;
    }
    const std::array<uint8_t, kRecordListGapSize> gap{};
    const uint32_t dataStart = recordListEntryPosition(numRecords) + kRecordListGapSize;
    if (!seekTo(callbacks, destination, recordListEntryPosition(numRecords)) ||
        !writeExactly(callbacks, destination, kRecordListGapSize, gap.data())) {
        return kResultConversionFailed;
    }

    const int32_t encoded = encodeTextPart(callbacks, textStream, scratchStream, destination,
                                           chunkSize, chunksPerGroup);
    if (encoded != kResultOk)
        return encoded;

    if (!writeTextPartRecordList(callbacks, destination, dataStart,
                                 static_cast<uint32_t>(textPartRecords))) {
        return kResultConversionFailed;
    }
    return reportPercent(callbacks, 100) ? kResultOk : kResultCanceled;
}

int32_t appendExtraRecords(const ConverterCallbacks& callbacks, FileObject sectionDataStream,
                           FileObject sectionIndexStream, FileObject destination,
                           uint32_t extraRecordCount, const HtmlJob& job) {
    HeaderRecordBytes record{};
    uint32_t recordOffset = 0;
    DatabaseHeaderBytes header{};
    if (!readHeaderRecord(callbacks, destination, &record, &recordOffset) ||
        !readDatabaseHeader(callbacks, destination, &header)) {
        return kResultConversionFailed;
    }
    const uint32_t firstExtraIndex = loadBigEndian16(&record[hdrec::kTextPartRecords]);
    // The list entries must land in the list writeDatabase made room for, not over the records.
    if (firstExtraIndex + uint64_t{extraRecordCount} >
        loadBigEndian16(&header[dbheader::kNumRecords])) {
        return kResultConversionFailed;
    }

    uint32_t dataSize = 0;
    uint32_t base = 0;
    if (!seekToEnd(callbacks, sectionDataStream, &dataSize) ||
        !seekTo(callbacks, sectionDataStream, 0) || !seekToEnd(callbacks, destination, &base) ||
        !copyStream(callbacks, sectionDataStream, dataSize, destination)) {
        return kResultConversionFailed;
    }

    if (!seekTo(callbacks, destination, recordListEntryPosition(firstExtraIndex)) ||
        !seekTo(callbacks, sectionIndexStream, 0)) {
        return kResultConversionFailed;
    }
    for (uint32_t extra = 0; extra < extraRecordCount; ++extra) {
        std::array<uint8_t, 4> start{};
        std::array<uint8_t, kRecordListEntrySize> entry{};
        if (!readExactly(callbacks, sectionIndexStream, 4, start.data())) {
            return kResultConversionFailed;
        }
        storeRecordListEntry(entry.data(), base + loadLittleEndian32(start.data()),
                             firstExtraIndex + extra);
        if (!writeExactly(callbacks, destination, kRecordListEntrySize, entry.data())) {
            return kResultConversionFailed;
        }
    }

    if (!reportPercent(callbacks, 100))
        return kResultCanceled;

    if (!fillGroupFields(record, firstExtraIndex, job) ||
        !writeHeaderRecordAt(callbacks, destination, recordOffset, record)) {
        return kResultConversionFailed;
    }
    return kResultOk;
}

int32_t finishHeaderRecord(const ConverterCallbacks& callbacks, FileObject destination) {
    HeaderRecordBytes record{};
    uint32_t recordOffset = 0;
    if (!readHeaderRecord(callbacks, destination, &record, &recordOffset)) {
        return kResultConversionFailed;
    }
    storeBigEndian32(&record[hdrec::kConversionDate], currentPalmDate());
    for (uint32_t offset = hdrec::kReservedStart; offset < kHeaderRecordSize; ++offset) {
        record[offset] = 0;
    }
    return writeHeaderRecordAt(callbacks, destination, recordOffset, record)
               ? kResultOk
               : kResultConversionFailed;
}

}  // namespace skerrit
