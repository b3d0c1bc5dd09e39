// Whole-or-nothing file operations on top of the conversion callbacks. A short read or write, or
// a seek that lands anywhere but where it was asked to, counts as a failure: every caller in the
// writer turns that into one result code, so the distinction would only be noise.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

[[nodiscard]] inline bool seekTo(const ConverterCallbacks& callbacks, FileObject file,
                                 uint32_t position) {
    if (position > 0x7FFFFFFFu)
        return false;  // seekFile takes a signed 32-bit offset
    return callbacks.seekFile(callbacks.context, file, static_cast<int32_t>(position),
                              kSeekFromStart) == position;
}

// The size of a stream, found by seeking to its end (which leaves the position there).
[[nodiscard]] inline bool seekToEnd(const ConverterCallbacks& callbacks, FileObject file,
                                    uint32_t* size) {
    const uint32_t end = callbacks.seekFile(callbacks.context, file, 0, kSeekFromEnd);
    if (end == kSeekFailed)
        return false;
    *size = end;
    return true;
}

[[nodiscard]] inline bool readExactly(const ConverterCallbacks& callbacks, FileObject file,
                                      uint32_t count, void* buffer) {
    if (count == 0)
        return true;
    const int32_t read = callbacks.readFile(callbacks.context, file, count, buffer);
    return read >= 0 && static_cast<uint32_t>(read) == count;
}

[[nodiscard]] inline bool writeExactly(const ConverterCallbacks& callbacks, FileObject file,
                                       uint32_t count, const void* buffer) {
    if (count == 0)
        return true;
    const int32_t written = callbacks.writeFile(callbacks.context, file, count, buffer);
    return written >= 0 && static_cast<uint32_t>(written) == count;
}

// Reports a percentage; false means the user asked to stop. No progress slot: always go on.
[[nodiscard]] inline bool reportPercent(const ConverterCallbacks& callbacks, int32_t percent) {
    if (callbacks.progress == nullptr)
        return true;
    return callbacks.progress(callbacks.context, 7, &percent) != 0;
}

}  // namespace skerrit
