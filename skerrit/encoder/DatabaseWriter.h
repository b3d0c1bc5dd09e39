// The three writer operations the driver calls to produce the "VaDo" document database:
// write the container, header record and text part; append the extra records of an HTML
// conversion; complete the header record. Each returns kResultOk, kResultCanceled (the first two
// only) or kResultConversionFailed.
#pragma once

#include <cstdint>

#include "encoder/DatabaseLayout.h"
#include "engine/ConverterCallbacks.h"
#include "engine/HtmlJob.h"

namespace skerrit {

inline constexpr uint32_t kTextChunkSize = 4096;
inline constexpr uint32_t kChunksPerCodeTable = 8;

// numRecords is a 16-bit field, so a database has at most 65535 records.
inline constexpr uint32_t kMaxRecordCount = 0xFFFF;
// The longest text of one database: 7281 full groups of eight chunks take 65530 records with the
// header record, and four more chunks with their code table the last five.
inline constexpr uint32_t kMaxTextLength = 238600192;
static_assert(textPartRecordCount(kMaxTextLength, kTextChunkSize, kChunksPerCodeTable) ==
              kMaxRecordCount);
static_assert(textPartRecordCount(kMaxTextLength + 1, kTextChunkSize, kChunksPerCodeTable) >
              kMaxRecordCount);
// An HTML document's extra records are found through 16-bit record indexes that the reader takes
// as signed numbers, so its text part and extra records together stay below 32768.
inline constexpr uint32_t kMaxHtmlRecordCount = 32767;
static_assert(kMaxHtmlRecordCount + 1 == kExtraRecordIndexLimit);

[[nodiscard]] int32_t writeDatabase(const ConverterCallbacks& callbacks, FileObject textStream,
                                    FileObject scratchStream, FileObject destination,
                                    const char* title, uint32_t chunkSize, uint32_t chunksPerGroup,
                                    uint32_t extraRecordCount);

[[nodiscard]] int32_t appendExtraRecords(const ConverterCallbacks& callbacks,
                                         FileObject sectionDataStream,
                                         FileObject sectionIndexStream, FileObject destination,
                                         uint32_t extraRecordCount, const HtmlJob& job);

[[nodiscard]] int32_t finishHeaderRecord(const ConverterCallbacks& callbacks,
                                         FileObject destination);

}  // namespace skerrit
