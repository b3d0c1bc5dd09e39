// Record lookup through the record list of a Palm database.
#include "encoder/RecordLocator.h"

#include <array>

#include "encoder/CallbackIo.h"
#include "engine/ByteOrder.h"

namespace skerrit {

bool readDatabaseHeader(const ConverterCallbacks& callbacks, FileObject file,
                        DatabaseHeaderBytes* header) {
    return seekTo(callbacks, file, 0) &&
           readExactly(callbacks, file, kDatabaseHeaderSize, header->data());
}

bool locateRecord(const ConverterCallbacks& callbacks, FileObject file,
                  const uint8_t* databaseHeader, uint32_t index, uint32_t* offset, uint32_t* size) {
    const uint32_t numRecords = loadBigEndian16(databaseHeader + dbheader::kNumRecords);
    if (index >= numRecords)
        return false;
    const bool isLast = index + 1 == numRecords;

    // This entry and, unless it is the last, the next one.
    std::array<uint8_t, 2 * kRecordListEntrySize> entries{};
    const uint32_t entryBytes = isLast ? kRecordListEntrySize : 2 * kRecordListEntrySize;
    if (!seekTo(callbacks, file, recordListEntryPosition(index)) ||
        !readExactly(callbacks, file, entryBytes, entries.data())) {
        return false;
    }
    const uint32_t start = loadBigEndian32(entries.data());
    uint32_t end = 0;
    if (isLast) {
        if (!seekToEnd(callbacks, file, &end))
            return false;
    } else {
        end = loadBigEndian32(entries.data() + kRecordListEntrySize);
    }
    if (end < start)
        return false;
    *offset = start;
    *size = end - start;
    return true;
}

bool readHeaderRecord(const ConverterCallbacks& callbacks, FileObject file,
                      HeaderRecordBytes* record, uint32_t* offset) {
    DatabaseHeaderBytes header{};
    uint32_t size = 0;
    return readDatabaseHeader(callbacks, file, &header) &&
           locateRecord(callbacks, file, header.data(), 0, offset, &size) &&
           size >= kHeaderRecordSize && seekTo(callbacks, file, *offset) &&
           readExactly(callbacks, file, kHeaderRecordSize, record->data());
}

}  // namespace skerrit
