// Exact-size access to the temporary streams that hold the page queue, anchors, links and the
// section input. Every helper answers false when the stream does less than asked: a seek that
// lands elsewhere, a read or write that moves fewer bytes. Records are never cast onto bytes;
// callers encode and decode them with the byte-order helpers.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "htmldoc/NameHash.h"

namespace skerrit {

[[nodiscard]] bool seekTo(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset);
// The stream's size, which is also where the next appended record goes.
[[nodiscard]] bool seekToEnd(const ConverterCallbacks& callbacks, FileObject stream, uint32_t& end);
[[nodiscard]] bool readExact(const ConverterCallbacks& callbacks, FileObject stream, void* buffer,
                             uint32_t count);
[[nodiscard]] bool writeExact(const ConverterCallbacks& callbacks, FileObject stream,
                              const void* buffer, uint32_t count);
[[nodiscard]] bool readAt(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                          void* buffer, uint32_t count);
[[nodiscard]] bool writeAt(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                           const void* buffer, uint32_t count);

// Reads the name of storedLength bytes at offset, keeping and folding at most kNameCompareLimit.
[[nodiscard]] bool readFoldedName(const ConverterCallbacks& callbacks, FileObject stream,
                                  uint32_t offset, uint32_t storedLength, FoldedName& name);

// Sequential input of the section writers: the end of the data is not an error, a failing read is.
enum class ReadOutcome { kComplete, kEnded, kFailed };
[[nodiscard]] ReadOutcome readRecord(const ConverterCallbacks& callbacks, FileObject stream,
                                     void* buffer, uint32_t count);

}  // namespace skerrit
