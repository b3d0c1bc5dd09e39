// An in-memory ConverterCallbacks table for tests: files live in a map, temporary files vanish
// when closed, and any one open, seek, read, write, temporary file, allocation or progress call
// can be made to fail (or answer "stop") by counting down to it. It also keeps what a test needs
// to prove that nothing leaks: the files and blocks still open, and every progress report.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ConverterCallbacks.h"

namespace skerrit::testing {

using Bytes = std::vector<uint8_t>;

Bytes toBytes(std::string_view text);
std::string toText(const Bytes& bytes);

struct ProgressEvent {
    int32_t code;
    std::string pageName;  // code 6
    int32_t percent;       // code 7, else -1
    // Code 8: the notice's kind, count and limit.
    int32_t noticeKind = 0;
    uint64_t noticeCount = 0;
    uint64_t noticeLimit = 0;
    bool operator==(const ProgressEvent&) const = default;
};

class MemoryCallbacks {
  public:
    // 1-based number of the call of each kind that fails; 0 = none fails.
    struct Faults {
        int failOpenAt = 0;
        int failCloseAt = 0;  // the file is still closed; only the answer is 0
        int failSeekAt = 0;
        int failReadAt = 0;
        int failWriteAt = 0;
        int failTempAt = 0;
        int failAllocateAt = 0;
        int stopProgressAt = 0;  // the n-th progress call answers 0
    };

    struct CallCounts {
        int open = 0;
        int close = 0;
        int seek = 0;
        int read = 0;
        int write = 0;
        int temp = 0;
        int allocate = 0;
        int release = 0;
        int progress = 0;
    };

    MemoryCallbacks();
    ~MemoryCallbacks();
    MemoryCallbacks(const MemoryCallbacks&) = delete;
    MemoryCallbacks& operator=(const MemoryCallbacks&) = delete;

    // The table to hand to the engine; its context points to this object.
    ConverterCallbacks& table() { return table_; }
    const ConverterCallbacks& table() const { return table_; }
    // Drops the progress slot: the engine must then make no progress calls at all.
    void disableProgress() { table_.progress = nullptr; }

    void addFile(const std::string& path, Bytes bytes);
    void addFile(const std::string& path, std::string_view text);
    bool hasFile(const std::string& path) const;
    const Bytes& file(const std::string& path) const;
    // Opening this path in any mode fails, as for a file in a missing folder.
    void refuseOpen(const std::string& path) { refusedPaths_.insert(path); }

    Faults faults;
    const CallCounts& counts() const { return counts_; }
    const std::vector<ProgressEvent>& progressEvents() const { return progressEvents_; }
    // The notices among the progress events, in order.
    std::vector<ProgressEvent> notices() const;

    int openFiles() const { return static_cast<int>(openObjects_.size()); }
    int liveAllocations() const { return static_cast<int>(allocations_.size()); }
    int temporaryFilesCreated() const { return counts_.temp; }
    // Misuse the engine must never commit: closing an unknown object, releasing an unknown block.
    int misuseCount() const { return misuse_; }

    struct OpenFile;

  private:
    static FileObject openFileSlot(void* context, const char* path, int32_t mode);
    static int32_t closeFileSlot(void* context, FileObject file);
    static uint32_t seekFileSlot(void* context, FileObject file, int32_t offset, int32_t origin);
    static int32_t readFileSlot(void* context, FileObject file, uint32_t count, void* buffer);
    static int32_t writeFileSlot(void* context, FileObject file, uint32_t count,
                                 const void* buffer);
    static FileObject createTempFileSlot(void* context);
    static void* allocateSlot(void* context, uint32_t size);
    static int32_t releaseSlot(void* context, void* block);
    static int32_t progressSlot(void* context, int32_t code, const void* data);

    OpenFile* find(FileObject file);

    ConverterCallbacks table_;
    std::map<std::string, std::shared_ptr<Bytes>> files_;
    std::set<std::string> refusedPaths_;
    std::set<OpenFile*> openObjects_;
    std::map<void*, uint32_t> allocations_;
    std::vector<ProgressEvent> progressEvents_;
    CallCounts counts_;
    int misuse_ = 0;
};

}  // namespace skerrit::testing
