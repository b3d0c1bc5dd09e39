#include "htmldoc/RecordStream.h"

#include <array>
#include <cstdint>
#include <limits>

namespace skerrit {

bool seekTo(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset) {
    // The seek slot takes a signed offset; a record beyond it cannot be reached in one call and
    // such a stream is treated as broken rather than wrapped to a negative offset.
    if (offset > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return false;
    const uint32_t landed =
        callbacks.seekFile(callbacks.context, stream, static_cast<int32_t>(offset), kSeekFromStart);
    return landed == offset;
}

bool seekToEnd(const ConverterCallbacks& callbacks, FileObject stream, uint32_t& end) {
    const uint32_t landed = callbacks.seekFile(callbacks.context, stream, 0, kSeekFromEnd);
    if (landed == kSeekFailed)
        return false;
    end = landed;
    return true;
}

bool readExact(const ConverterCallbacks& callbacks, FileObject stream, void* buffer,
               uint32_t count) {
    if (count == 0)
        return true;
    const int32_t got = callbacks.readFile(callbacks.context, stream, count, buffer);
    return got >= 0 && static_cast<uint32_t>(got) == count;
}

bool writeExact(const ConverterCallbacks& callbacks, FileObject stream, const void* buffer,
                uint32_t count) {
    if (count == 0)
        return true;
    const int32_t put = callbacks.writeFile(callbacks.context, stream, count, buffer);
    return put >= 0 && static_cast<uint32_t>(put) == count;
}

bool readAt(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset, void* buffer,
            uint32_t count) {
    return seekTo(callbacks, stream, offset) && readExact(callbacks, stream, buffer, count);
}

bool writeAt(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
             const void* buffer, uint32_t count) {
    return seekTo(callbacks, stream, offset) && writeExact(callbacks, stream, buffer, count);
}

bool readFoldedName(const ConverterCallbacks& callbacks, FileObject stream, uint32_t offset,
                    uint32_t storedLength, FoldedName& name) {
    std::array<char, kNameCompareLimit> raw{};
    const uint32_t kept = storedLength < kNameCompareLimit ? storedLength : kNameCompareLimit;
    if (kept > 0 && !readAt(callbacks, stream, offset, raw.data(), kept))
        return false;
    foldName(raw.data(), storedLength, name);
    return true;
}

ReadOutcome readRecord(const ConverterCallbacks& callbacks, FileObject stream, void* buffer,
                       uint32_t count) {
    const int32_t got = callbacks.readFile(callbacks.context, stream, count, buffer);
    if (got < 0)
        return ReadOutcome::kFailed;
    return static_cast<uint32_t>(got) == count ? ReadOutcome::kComplete : ReadOutcome::kEnded;
}

}  // namespace skerrit
