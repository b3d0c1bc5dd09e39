#include "support/MemoryCallbacks.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "engine/ConversionNotice.h"

namespace skerrit::testing {

struct MemoryCallbacks::OpenFile {
    std::shared_ptr<Bytes> bytes;
    uint64_t position = 0;
};

Bytes toBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::string toText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

MemoryCallbacks::MemoryCallbacks()
    : table_{this,           &openFileSlot,       &closeFileSlot, &seekFileSlot, &readFileSlot,
             &writeFileSlot, &createTempFileSlot, &allocateSlot,  &releaseSlot,  &progressSlot} {}

MemoryCallbacks::~MemoryCallbacks() {
    for (OpenFile* file : openObjects_)
        delete file;
    for (auto& [block, size] : allocations_)
        std::free(block);
}

void MemoryCallbacks::addFile(const std::string& path, Bytes bytes) {
    files_[path] = std::make_shared<Bytes>(std::move(bytes));
}

void MemoryCallbacks::addFile(const std::string& path, std::string_view text) {
    addFile(path, toBytes(text));
}

bool MemoryCallbacks::hasFile(const std::string& path) const {
    return files_.count(path) != 0;
}

const Bytes& MemoryCallbacks::file(const std::string& path) const {
    auto found = files_.find(path);
    if (found == files_.end())
        throw std::out_of_range("no such memory file: " + path);
    return *found->second;
}

MemoryCallbacks::OpenFile* MemoryCallbacks::find(FileObject file) {
    auto* candidate = static_cast<OpenFile*>(file);
    if (openObjects_.count(candidate) == 0) {
        ++misuse_;
        return nullptr;
    }
    return candidate;
}

FileObject MemoryCallbacks::openFileSlot(void* context, const char* path, int32_t mode) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.open;
    if (self.counts_.open == self.faults.failOpenAt)
        return nullptr;
    if (path == nullptr || self.refusedPaths_.count(path) != 0)
        return nullptr;
    auto found = self.files_.find(path);
    std::shared_ptr<Bytes> bytes;
    switch (mode) {
        case kOpenRead:
            if (found == self.files_.end())
                return nullptr;
            bytes = found->second;
            break;
        case kOpenCreate:
            bytes = std::make_shared<Bytes>();
            self.files_[path] = bytes;
            break;
        case kOpenReadWrite:
            if (found == self.files_.end()) {
                bytes = std::make_shared<Bytes>();
                self.files_[path] = bytes;
            } else {
                bytes = found->second;
            }
            break;
        default:
            return nullptr;
    }
    auto* file = new OpenFile{bytes, 0};
    self.openObjects_.insert(file);
    return file;
}

int32_t MemoryCallbacks::closeFileSlot(void* context, FileObject file) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.close;
    OpenFile* open = self.find(file);
    if (open == nullptr)
        return 0;
    self.openObjects_.erase(open);
    delete open;
    return self.counts_.close == self.faults.failCloseAt ? 0 : 1;
}

uint32_t MemoryCallbacks::seekFileSlot(void* context, FileObject file, int32_t offset,
                                       int32_t origin) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.seek;
    OpenFile* open = self.find(file);
    if (open == nullptr || self.counts_.seek == self.faults.failSeekAt)
        return kSeekFailed;
    int64_t base = 0;
    switch (origin) {
        case kSeekFromStart:
            base = 0;
            break;
        case kSeekFromCurrent:
            base = static_cast<int64_t>(open->position);
            break;
        case kSeekFromEnd:
            base = static_cast<int64_t>(open->bytes->size());
            break;
        default:
            return kSeekFailed;
    }
    const int64_t target = base + offset;
    if (target < 0 || target >= int64_t{kSeekFailed})
        return kSeekFailed;
    open->position = static_cast<uint64_t>(target);
    return static_cast<uint32_t>(target);
}

int32_t MemoryCallbacks::readFileSlot(void* context, FileObject file, uint32_t count,
                                      void* buffer) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.read;
    OpenFile* open = self.find(file);
    if (open == nullptr || self.counts_.read == self.faults.failReadAt)
        return -1;
    const uint64_t size = open->bytes->size();
    const uint64_t available = open->position < size ? size - open->position : 0;
    const uint64_t taken = count < available ? count : available;
    if (taken > 0)
        std::memcpy(buffer, open->bytes->data() + open->position, taken);
    open->position += taken;
    return static_cast<int32_t>(taken);
}

int32_t MemoryCallbacks::writeFileSlot(void* context, FileObject file, uint32_t count,
                                       const void* buffer) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.write;
    OpenFile* open = self.find(file);
    if (open == nullptr || self.counts_.write == self.faults.failWriteAt)
        return -1;
    Bytes& bytes = *open->bytes;
    const uint64_t end = open->position + count;
    if (bytes.size() < end)
        bytes.resize(end, 0);
    if (count > 0)
        std::memcpy(bytes.data() + open->position, buffer, count);
    open->position = end;
    return static_cast<int32_t>(count);
}

FileObject MemoryCallbacks::createTempFileSlot(void* context) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.temp;
    if (self.counts_.temp == self.faults.failTempAt)
        return nullptr;
    auto* file = new OpenFile{std::make_shared<Bytes>(), 0};
    self.openObjects_.insert(file);
    return file;
}

void* MemoryCallbacks::allocateSlot(void* context, uint32_t size) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.allocate;
    if (self.counts_.allocate == self.faults.failAllocateAt)
        return nullptr;
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr)
        self.allocations_[block] = size;
    return block;
}

int32_t MemoryCallbacks::releaseSlot(void* context, void* block) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.release;
    auto found = self.allocations_.find(block);
    if (found == self.allocations_.end()) {
        ++self.misuse_;
        return 1;
    }
    std::free(block);
    self.allocations_.erase(found);
    return 1;
}

std::vector<ProgressEvent> MemoryCallbacks::notices() const {
    std::vector<ProgressEvent> found;
    for (const ProgressEvent& event : progressEvents_) {
        if (event.code == kProgressNotice)
            found.push_back(event);
    }
    return found;
}

int32_t MemoryCallbacks::progressSlot(void* context, int32_t code, const void* data) {
    auto& self = *static_cast<MemoryCallbacks*>(context);
    ++self.counts_.progress;
    ProgressEvent event{code, {}, -1};
    if (code == 6 && data != nullptr)
        event.pageName = static_cast<const char*>(data);
    if (code == 7 && data != nullptr)
        std::memcpy(&event.percent, data, sizeof event.percent);
    if (code == kProgressNotice && data != nullptr) {
        const auto& notice = *static_cast<const ConversionNotice*>(data);
        event.noticeKind = notice.kind;
        event.noticeCount = notice.count;
        event.noticeLimit = notice.limit;
    }
    self.progressEvents_.push_back(event);
    return self.counts_.progress == self.faults.stopProgressAt ? 0 : 1;
}

}  // namespace skerrit::testing
