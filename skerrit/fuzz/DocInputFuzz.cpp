// Feeds arbitrary bytes to the Doc input as a source file: recognition, the title lookup and the
// whole preparation with the single-break mode on, so every record-list, header and PalmDOC
// decoder path runs over them. The prepared text goes to a counting sink.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "encoder/DocReader.h"
#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"

namespace {

using namespace skerrit;

struct MemoryFile {
    const uint8_t* data;
    uint32_t size;
    uint32_t position;
};

struct FuzzFiles {
    MemoryFile source;
    int sinkObject;  // address used as the text stream's file object
    uint64_t written;
};

bool isSink(FuzzFiles& files, FileObject file) {
    return file == &files.sinkObject;
}

FileObject openSource(void* context, const char*, int32_t mode) {
    auto& files = *static_cast<FuzzFiles*>(context);
    if (mode != kOpenRead)
        return nullptr;
    files.source.position = 0;
    return &files.source;
}

int32_t closeAny(void*, FileObject) {
    return 1;
}

uint32_t seekAny(void* context, FileObject file, int32_t offset, int32_t origin) {
    auto& files = *static_cast<FuzzFiles*>(context);
    if (isSink(files, file))
        return kSeekFailed;
    MemoryFile& source = files.source;
    const int64_t base = origin == kSeekFromStart ? 0
                         : origin == kSeekFromEnd ? int64_t{source.size}
                                                  : int64_t{source.position};
    const int64_t target = base + offset;
    if (target < 0 || target > int64_t{source.size})
        return kSeekFailed;
    source.position = static_cast<uint32_t>(target);
    return source.position;
}

int32_t readAny(void* context, FileObject file, uint32_t count, void* buffer) {
    auto& files = *static_cast<FuzzFiles*>(context);
    if (isSink(files, file))
        return -1;
    MemoryFile& source = files.source;
    const uint32_t available = source.size - source.position;
    const uint32_t taken = count < available ? count : available;
    if (taken > 0)
        std::memcpy(buffer, source.data + source.position, taken);
    source.position += taken;
    return static_cast<int32_t>(taken);
}

int32_t writeAny(void* context, FileObject file, uint32_t count, const void*) {
    auto& files = *static_cast<FuzzFiles*>(context);
    if (!isSink(files, file))
        return -1;
    files.written += count;
    return static_cast<int32_t>(count);
}

FileObject noTempFile(void*) {
    return nullptr;
}

void* allocateBlock(void*, uint32_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

int32_t releaseBlock(void*, void* block) {
    std::free(block);
    return 1;
}

int32_t goOn(void*, int32_t, const void*) {
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20)
        return 0;
    FuzzFiles files{{data, static_cast<uint32_t>(size), 0}, 0, 0};
    const ConverterCallbacks callbacks{&files,        &openSource, &closeAny,   &seekAny,
                                       &readAny,      &writeAny,   &noTempFile, &allocateBlock,
                                       &releaseBlock, &goOn};
    std::array<char, kPalmNameSize + 1> title{};
    static_cast<void>(readDocTitle(callbacks, "source", title.data()));
    if (!isDocDatabase(callbacks, &files.source))
        return 0;
    const ConversionRequest request{&callbacks, "source", "out",   "t", 0,      0,
                                    1,          1,        kNotSet, 2,   kNotSet};
    static_cast<void>(prepareDoc(request, &files.source, &files.sinkObject));
    return 0;
}
