// Quillon's own small file layer: buffered binary and text input and output, full-path
// resolution and deletion. Files are always opened in binary; "text" reading and writing is done
// here explicitly (CR LF folded to LF on input, CR LF written by the callers), so the bytes are the
// same on every platform. Both classes can also work on memory, which the tests, the fuzz targets
// and the benchmark use. Every failure keeps the system's error number, so that a report can say
// why. Outputs that replace a user's file go through AtomicOutputFile, which builds on this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr int kEndOfFile = -1;

// How readLine stopped.
enum class LineEnd {
    Feed,       // a line feed ended the line (it is not stored)
    EndOfFile,  // the input ended; the line holds what came before (possibly nothing)
    Cut,        // the character limit was reached before any line feed
};

class InputFile {
  public:
    InputFile() = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False when the file cannot be opened; openError() then says why.
    [[nodiscard]] bool open(const std::string& path);
    int openError() const { return openError_; }
    // Reads from bytes owned by the caller, which must outlive the reading.
    void openMemory(std::string_view bytes);
    void close();
    bool isOpen() const { return file_ != nullptr || memory_; }

    int get() {
        if (position_ == size_ && !refill()) {
            return kEndOfFile;
        }
        return data_[position_++];
    }
    int peek() {
        if (position_ == size_ && !refill()) {
            return kEndOfFile;
        }
        return data_[position_];
    }
    // Reads up to count bytes; returns how many were read (fewer only at the end of the input).
    size_t read(uint8_t* out, size_t count);
    // Reads one text line of at most maxChars characters, its line feed counted; a CR directly
    // before a line feed is dropped, as a text-mode read does.
    LineEnd readLine(std::string& line, size_t maxChars);

  private:
    bool refill();

    static constexpr size_t kBufferSize = 64 * 1024;
    std::FILE* file_ = nullptr;
    int openError_ = 0;
    bool memory_ = false;
    std::vector<uint8_t> buffer_;
    const uint8_t* data_ = nullptr;
    size_t position_ = 0;
    size_t size_ = 0;
};

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { static_cast<void>(close()); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, replacing an existing one.
    [[nodiscard]] bool create(const std::string& path);
    // Creates a file that must not exist yet (EEXIST otherwise). Closing it writes its bytes
    // through to the disk, since it is about to take the place of another file.
    [[nodiscard]] bool createNew(const std::string& path);
    // Appends everything written to target, which must outlive the writing.
    void openMemory(std::string& target);
    bool isOpen() const { return file_ != nullptr || memory_ != nullptr; }

    void write(const void* bytes, size_t count);
    void write(std::string_view text) { write(text.data(), text.size()); }
    void put(char c) {
        buffer_.push_back(c);
        if (buffer_.size() >= kBufferSize) {
            flush();
        }
    }
    // Ends a text line the way a text-mode file does on the target platform of the handheld's
    // desktop: CR LF.
    void endLine() { write("\r\n"); }
    // Flushes and closes; false when any write (or the creation) failed, then errorNumber() says
    // why. Closing again gives the same answer.
    [[nodiscard]] bool close();
    int errorNumber() const { return errorNumber_; }

  private:
    void flush();
    void fail(int errorNumber);

    static constexpr size_t kBufferSize = 64 * 1024;
    std::FILE* file_ = nullptr;
    std::string* memory_ = nullptr;
    std::string buffer_;
    bool failed_ = false;
    bool syncOnClose_ = false;
    int errorNumber_ = 0;
};

// The absolute, normalised form of path (the path itself if it cannot be resolved).
std::string fullPath(const std::string& path);
// True when both paths name one file, so that writing one would destroy the other.
bool isSameFile(const std::string& first, const std::string& second);
[[nodiscard]] bool deleteFile(const std::string& path);
// True when something (a file, a folder) exists under path.
bool pathExists(const std::string& path);

// The system's text for an error number ("No such file or directory").
std::string systemErrorText(int errorNumber);

}  // namespace quillon
