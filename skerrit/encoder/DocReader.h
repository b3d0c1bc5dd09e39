// Doc (PalmDOC) input: recognising a Doc database, reading its name for the default title, and
// reading its text records into the text stream through the text preparation, so the line-break
// and tab options apply to Doc books as they do to plain text. The Doc header's compression field
// says how the records hold their text: 1 as it is, 2 PalmDOC-compressed; a book with any other
// value is refused, since reading it either way would turn it into other text.
#pragma once

#include <array>
#include <cstdint>

#include "encoder/DatabaseLayout.h"
#include "encoder/DocLayout.h"
#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

inline constexpr uint32_t kPalmNameSize = kDatabaseNameSize;
// A Doc text record never holds more than this once decompressed.
inline constexpr uint32_t kDocRecordCapacity = 8192;

struct DocReader {
    const ConverterCallbacks* callbacks;
    FileObject source;
    DatabaseHeaderBytes header;  // as read; fields are loaded big-endian when needed
    uint32_t nextRecord;         // next text record to read; starts at 1
    uint32_t endRecord;          // one past the last text record
    uint32_t compression;        // kDocUncompressed or kDocPalmDocCompressed (DocLayout.h)
};

// Seeks the open source to 0 and reads its database header: true for creator "REAd".
[[nodiscard]] bool isDocDatabase(const ConverterCallbacks& callbacks, FileObject source);

// Opens the path and, for a Doc database, copies its 32-byte name and a terminating zero into
// `title` (at least 33 bytes). False for anything else, or when closing the file fails.
[[nodiscard]] bool readDocTitle(const ConverterCallbacks& callbacks, const char* path, char* title);

// Reads every text record into the text stream with the request's text options: kResultOk,
// kResultCanceled or kResultPreprocessFailed (after a notice saying what is wrong with the book,
// unless a write to the text stream failed). With a null text stream nothing is written;
// preparedLength, when given, receives the number of bytes the preparation produced.
[[nodiscard]] int32_t prepareDoc(const ConversionRequest& request, FileObject source,
                                 FileObject textStream, uint64_t* preparedLength = nullptr);

// What the byte source of the decoder answers instead of a byte.
inline constexpr int32_t kRecordEnd = -1;
inline constexpr int32_t kRecordReadFailed = -2;

// Decodes one PalmDOC record read from `next` (a byte, kRecordEnd after the record's last byte,
// or kRecordReadFailed) into `out`. Returns the decoded length, or -1 when the record is
// corrupt: output past the capacity, a back reference before the start, or a code cut short.
template <typename NextByte>
[[nodiscard]] int32_t decodePalmDocRecord(NextByte&& next,
                                          std::array<uint8_t, kDocRecordCapacity>& out);

}  // namespace skerrit

#include "encoder/PalmDocDecoder.inl"
