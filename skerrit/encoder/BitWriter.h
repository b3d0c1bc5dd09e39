// Packs the bits of one record payload into 32-bit words: bits enter each word from bit 0 upward,
// a full word is stored at once, and a record may hold at most 1024 words (its 4096-byte buffer).
// Storing one word more marks the record as failed; the caller then checks `overflowed`.
#pragma once

#include <array>
#include <cstdint>

namespace skerrit {

inline constexpr uint32_t kMaxRecordWords = 1024;

using RecordWords = std::array<uint32_t, kMaxRecordWords>;

class BitWriter {
  public:
    explicit BitWriter(RecordWords& words) : words_(words) {}

    // Sends the low `count` bits of `value`, least significant first (count at most 16).
    void putBits(uint32_t value, uint32_t count) {
        pending_ |= uint64_t{value & ((1u << count) - 1)} << pendingBits_;
        pendingBits_ += count;
        if (pendingBits_ >= 32) {
            storeWord(static_cast<uint32_t>(pending_));
            pending_ >>= 32;
            pendingBits_ -= 32;
        }
    }

    // Stores a partly filled last word with its unused high bits zero.
    void flush() {
        if (pendingBits_ > 0) {
            storeWord(static_cast<uint32_t>(pending_));
            pending_ = 0;
            pendingBits_ = 0;
        }
    }

    bool overflowed() const { return overflowed_; }
    uint32_t wordCount() const { return wordCount_; }

  private:
    void storeWord(uint32_t word) {
        if (wordCount_ == kMaxRecordWords) {
            overflowed_ = true;
            return;
        }
        words_[wordCount_++] = word;
    }

    RecordWords& words_;
    uint64_t pending_ = 0;
    uint32_t pendingBits_ = 0;
    uint32_t wordCount_ = 0;
    bool overflowed_ = false;
};

}  // namespace skerrit
