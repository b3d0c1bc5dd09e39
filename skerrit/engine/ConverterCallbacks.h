// The table through which the conversion engine reaches files, temporary files, memory and
// progress. The engine never touches the operating system itself, so a console program, a test
// double or another platform can each supply their own table.
#pragma once

#include <cstdint>

namespace skerrit {

// An opaque file object created by openFile or createTempFile.
using FileObject = void*;

enum OpenMode : int32_t {
    kOpenRead = 0,       // existing file, read access, others may read it too
    kOpenCreate = 1,     // create or truncate, read and write, not shared
    kOpenReadWrite = 2,  // open or create, read and write, not shared
};

enum SeekOrigin : int32_t {
    kSeekFromStart = 0,
    kSeekFromCurrent = 1,
    kSeekFromEnd = 2,
};

// seekFile answers the new absolute position, or all ones on failure.
inline constexpr uint32_t kSeekFailed = 0xFFFFFFFFu;

// Ten pointer-sized slots in a fixed order; every function receives `context` first.
// Reads and writes take the byte count before the buffer.
struct ConverterCallbacks {
    void* context;
    FileObject (*openFile)(void* context, const char* path, int32_t mode);
    int32_t (*closeFile)(void* context, FileObject file);
    uint32_t (*seekFile)(void* context, FileObject file, int32_t offset, int32_t origin);
    int32_t (*readFile)(void* context, FileObject file, uint32_t count, void* buffer);
    int32_t (*writeFile)(void* context, FileObject file, uint32_t count, const void* buffer);
    FileObject (*createTempFile)(void* context);
    void* (*allocate)(void* context, uint32_t size);
    int32_t (*release)(void* context, void* block);
    // Nonzero: go on; 0: stop. Null: the engine makes no progress calls at all.
    int32_t (*progress)(void* context, int32_t code, const void* data);
};

}  // namespace skerrit
