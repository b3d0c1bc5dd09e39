// Reading the container: header first, then the record list, then each record's extent.
#include "preview/PalmContainer.h"

#include <string>

namespace skerrit::preview {

bool readPalmContainer(ByteSpan file, PalmContainer& container, ReadFailure& failure) {
    if (file.size() < kDatabaseHeaderSize) {
        return fail(failure, kWholeFile,
                    "not a Palm database: " + std::to_string(file.size()) +
                        " bytes, shorter than the 78-byte database header");
    }
    container.header = decodeDatabaseHeader(file.data());
    const uint32_t numRecords = container.header.numRecords;
    const uint64_t listEnd = recordListEntryPosition(numRecords);
    if (file.size() < listEnd) {
        return fail(failure, kWholeFile,
                    "the record list of " + std::to_string(numRecords) +
                        " records runs past the end of the file");
    }
    container.offsets.clear();
    container.records.clear();
    for (uint32_t index = 0; index < numRecords; ++index) {
        const RecordListEntry entry =
            decodeRecordListEntry(file.data() + recordListEntryPosition(index));
        container.offsets.push_back(entry.recordOffset);
    }
    for (uint32_t index = 0; index < numRecords; ++index) {
        if (container.offsets[index] < listEnd)
            return fail(failure, index, "its offset points into the record list");
        if (container.offsets[index] > file.size())
            return fail(failure, index, "its offset lies past the end of the file");
        if (index > 0 && container.offsets[index] < container.offsets[index - 1]) {
            return fail(failure, index,
                        "its offset lies before that of record " + std::to_string(index - 1));
        }
    }
    for (uint32_t index = 0; index < numRecords; ++index) {
        const size_t start = container.offsets[index];
        const size_t end = index + 1 < numRecords ? container.offsets[index + 1] : file.size();
        container.records.push_back(file.subspan(start, end - start));
    }
    return true;
}

}  // namespace skerrit::preview
