// The text part of the output database: the header record, then for each group of chunks one
// code table record and one text record per chunk, each chunk compressed on its own with its
// group's codes (or stored when its coded form does not fit in a record).
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

// Writes at the destination's current position. The scratch stream holds the symbols of the
// current group between finding and coding them. Returns kResultOk, kResultCanceled (a progress
// call answered stop) or kResultConversionFailed (a failing seek, read, write or allocation, a
// chunk size above 4096, a group above 8 chunks, or a text part of 65536 records or more).
[[nodiscard]] int32_t encodeTextPart(const ConverterCallbacks& callbacks, FileObject textStream,
                                     FileObject scratchStream, FileObject destination,
                                     uint32_t chunkSize, uint32_t chunksPerGroup);

// The percentage reported after `chunksRead` chunks of a text part of `textPartRecords` records:
// the records written or about to be, never above 100 (a text that ends on a group boundary would
// otherwise report one record too many after its last chunk).
int32_t textPartPercent(uint32_t chunksRead, uint32_t chunksPerGroup, uint32_t textPartRecords);

}  // namespace skerrit
