// The three writer operations the driver calls to produce the "VaDo" document database:
// write the container, header record and text part; append the extra records of an HTML
// conversion; complete the header record. Each returns kResultOk, kResultCanceled (the first two
// only) or kResultConversionFailed.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "engine/HtmlJob.h"

namespace skerrit {

inline constexpr uint32_t kTextChunkSize = 4096;
inline constexpr uint32_t kChunksPerCodeTable = 8;

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
