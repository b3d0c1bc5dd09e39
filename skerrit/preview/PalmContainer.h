// The Palm database container around a book, read from the whole file in memory: the 78-byte
// header and the record list, each record's bytes running to the next record's offset (the last
// one to the end of the file), as the handheld finds them. Only the container is checked here;
// what a record holds is its reader's business.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "encoder/DatabaseLayout.h"
#include "preview/ReadFailure.h"

namespace skerrit::preview {

using ByteSpan = std::span<const uint8_t>;

struct PalmContainer {
    DatabaseHeaderFields header;
    std::vector<ByteSpan> records;  // views into the file
    std::vector<uint32_t> offsets;
};

// Fails for a file shorter than the header or its record list, and for record offsets that
// run backwards, point into the record list or past the end of the file.
[[nodiscard]] bool readPalmContainer(ByteSpan file, PalmContainer& container, ReadFailure& failure);

}  // namespace skerrit::preview
