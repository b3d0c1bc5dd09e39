// Buffered file input and output over the C library, and the path helpers.
#include "database/Files.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quillon {

bool InputFile::open(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        return false;
    }
    buffer_.resize(kBufferSize);
    return true;
}

void InputFile::openMemory(std::string_view bytes) {
    close();
    memory_ = true;
    data_ = reinterpret_cast<const uint8_t*>(bytes.data());
    size_ = bytes.size();
    position_ = 0;
}

void InputFile::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    memory_ = false;
    data_ = nullptr;
    position_ = 0;
    size_ = 0;
}

bool InputFile::refill() {
    if (file_ == nullptr) {
        return false;
    }
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    data_ = buffer_.data();
    position_ = 0;
    return size_ > 0;
}

size_t InputFile::read(uint8_t* out, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (position_ == size_ && !refill()) {
            break;
        }
        const size_t chunk = std::min(count - done, size_ - position_);
        std::memcpy(out + done, data_ + position_, chunk);
        position_ += chunk;
        done += chunk;
    }
    return done;
}

LineEnd InputFile::readLine(std::string& line, size_t maxChars) {
    line.clear();
    while (line.size() < maxChars) {
        int c = get();
        if (c == kEndOfFile) {
            return LineEnd::EndOfFile;
        }
        if (c == '\r' && peek() == '\n') {
            c = get();
        }
        if (c == '\n') {
            return LineEnd::Feed;
        }
        line.push_back(static_cast<char>(c));
    }
    return LineEnd::Cut;
}

bool OutputFile::create(const std::string& path) {
    static_cast<void>(close());
    file_ = std::fopen(path.c_str(), "wb");
    failed_ = false;
    buffer_.reserve(kBufferSize);
    return file_ != nullptr;
}

void OutputFile::openMemory(std::string& target) {
    static_cast<void>(close());
    memory_ = &target;
    failed_ = false;
}

void OutputFile::write(const void* bytes, size_t count) {
    buffer_.append(static_cast<const char*>(bytes), count);
    if (buffer_.size() >= kBufferSize) {
        flush();
    }
}

void OutputFile::flush() {
    if (memory_ != nullptr) {
        memory_->append(buffer_);
    } else if (file_ != nullptr && !buffer_.empty()) {
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            failed_ = true;
        }
    }
    buffer_.clear();
}

bool OutputFile::close() {
    if (!isOpen()) {
        return true;
    }
    flush();
    if (file_ != nullptr && std::fclose(file_) != 0) {
        failed_ = true;
    }
    file_ = nullptr;
    memory_ = nullptr;
    return !failed_;
}

std::string fullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) {
        return path;
    }
    return absolute.lexically_normal().string();
}

bool isSameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    if (std::filesystem::equivalent(first, second, error)) {
        return true;
    }
    // A file that does not exist yet cannot be equivalent to anything; compare the names.
    return fullPath(first) == fullPath(second);
}

bool deleteFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(path, error);
}

}  // namespace quillon
