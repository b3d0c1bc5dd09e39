// Buffered file input and output over the C library, and the path helpers.
#include "database/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "database/FileSystem.h"

namespace quillon {

bool InputFile::open(const std::string& path) {
    close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        openError_ = errno != 0 ? errno : ENOENT;
        return false;
    }
    openError_ = 0;
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
    failed_ = false;
    errorNumber_ = 0;
    syncOnClose_ = false;
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        fail(errno);
        return false;
    }
    buffer_.reserve(kBufferSize);
    return true;
}

bool OutputFile::createNew(const std::string& path) {
    static_cast<void>(close());
    failed_ = false;
    errorNumber_ = 0;
    errno = 0;
    file_ = platform::createNewFile(path);
    if (file_ == nullptr) {
        fail(errno);
        return false;
    }
    syncOnClose_ = true;
    buffer_.reserve(kBufferSize);
    return true;
}

void OutputFile::fail(int errorNumber) {
    if (!failed_) {
        errorNumber_ = errorNumber != 0 ? errorNumber : EIO;
    }
    failed_ = true;
}

void OutputFile::openMemory(std::string& target) {
    static_cast<void>(close());
    memory_ = &target;
    failed_ = false;
    errorNumber_ = 0;
    syncOnClose_ = false;
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
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            fail(errno);
        }
    }
    buffer_.clear();
}

bool OutputFile::close() {
    if (!isOpen()) {
        return !failed_;
    }
    flush();
    if (file_ != nullptr) {
        errno = 0;
        if (syncOnClose_ && !failed_ && !platform::syncFile(file_)) {
            fail(errno);
        }
        errno = 0;
        if (std::fclose(file_) != 0) {
            fail(errno);
        }
    }
    file_ = nullptr;
    memory_ = nullptr;
    syncOnClose_ = false;
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

bool pathExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::string systemErrorText(int errorNumber) {
    return std::strerror(errorNumber);
}

}  // namespace quillon
