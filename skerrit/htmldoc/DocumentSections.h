// The four section writers that turn the reader's intermediate streams into the extra records of
// an HTML conversion: style runs (group A), links (B), horizontal rules (C) and file boundaries
// (D). Each reads its input from offset 0, appends its blocks to the section data stream with
// their offsets in the section index stream, and gives the number of blocks it emitted; the
// conversion calls them in the order A, B, C, D. Each returns 1, or 0 when a stream fails.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/SectionBlocks.h"

namespace skerrit {

[[nodiscard]] int32_t writeStyleRuns(const SectionOutput& output, FileObject styleRunStream,
                                     int32_t& blockCount);

// Only links that are resolved and whose target is not none reach the table.
[[nodiscard]] int32_t writeLinkTable(const SectionOutput& output, FileObject linkStream,
                                     int32_t& blockCount);

[[nodiscard]] int32_t writeRuleTable(const SectionOutput& output, FileObject blockStream,
                                     int32_t& blockCount);

// textFileCount receives the number of source files that produced text.
[[nodiscard]] int32_t writeFileBoundaries(const SectionOutput& output, FileObject blockStream,
                                          int32_t& blockCount, int32_t& textFileCount);

}  // namespace skerrit
