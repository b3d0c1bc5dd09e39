// Group D: where each converted file's text ends. A block's words are the low half of where its
// first file begins, then the low half of each file's end; an end 65536 or more past the previous
// boundary is written as an escape: the previous word repeated, then the end's high and low halves.
// Block: startHigh, endHigh, firstFile, lastFile, n, n words. A document of one file needs none.
#include <array>

#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

// A block is written once it holds 256 words; an escape may take it to 258.
constexpr uint32_t kBoundaryBlockWords = kSectionBlockEntries + 2;

class BoundaryBlock {
  public:
    BoundaryBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addFileEnd(uint32_t previous, uint32_t end, uint16_t fileNumber) {
        if (wordCount_ == 0) {
            startHigh_ = highHalf(previous);
            firstFile_ = fileNumber;
            words_[wordCount_++] = lowHalf(previous);
        }
        if (end - previous >= kSectionPositionStep) {
            const uint16_t repeated = words_[wordCount_ - 1];
            words_[wordCount_++] = repeated;
            words_[wordCount_++] = highHalf(end);
        }
        words_[wordCount_++] = lowHalf(end);
        lastFile_ = fileNumber;
        return wordCount_ < kSectionBlockEntries || flush(end);
    }

    bool empty() const { return wordCount_ == 0; }

    [[nodiscard]] bool flush(uint32_t lastEnd) {
        BigEndianBlock<10 + 2 * kBoundaryBlockWords> block;
        block.put16(startHigh_);
        block.put16(highHalf(lastEnd));
        block.put16(firstFile_);
        block.put16(lastFile_);
        block.put16(wordCount_);
        for (uint32_t index = 0; index < wordCount_; ++index)
            block.put16(words_[index]);
        wordCount_ = 0;
        return emitBlock(output_, block.data(), block.size(), blockCount_);
    }

  private:
    const SectionOutput& output_;
    int32_t& blockCount_;
    uint16_t startHigh_ = 0;
    uint16_t firstFile_ = 0;
    uint16_t lastFile_ = 0;
    uint32_t wordCount_ = 0;
    std::array<uint16_t, kBoundaryBlockWords> words_{};
};

}  // namespace

int32_t writeFileBoundaries(const SectionOutput& output, FileObject blockStream,
                            int32_t& blockCount, int32_t& textFileCount) {
    const ConverterCallbacks& callbacks = *output.callbacks;
    blockCount = 0;
    textFileCount = 0;
    BoundaryBlock block(output, blockCount);
    uint32_t previous = 0;
    uint32_t fileNumber = 0;
    for (uint32_t offset = 0;; offset += StoredBlockRecord::kSize) {
        if (!seekTo(callbacks, blockStream, offset))
            return 0;
        std::array<uint8_t, StoredBlockRecord::kSize> bytes{};
        const ReadOutcome read =
            readRecord(callbacks, blockStream, bytes.data(), StoredBlockRecord::kSize);
        if (read == ReadOutcome::kFailed)
            return 0;
        if (read == ReadOutcome::kEnded)
            break;
        const StoredBlockRecord record = decodeStoredBlockRecord(bytes.data());
        // A page end at the previous boundary belongs to a file that produced no text.
        if (record.kind != StoredBlockRecord::kPageEnd || record.position == previous)
            continue;
        if (!block.addFileEnd(previous, record.position, static_cast<uint16_t>(fileNumber))) {
            return 0;
        }
        fileNumber += 1;
        previous = record.position;
    }
    textFileCount = static_cast<int32_t>(fileNumber);
    if (fileNumber > 1 && !block.empty() && !block.flush(previous))
        return 0;
    return 1;
}

}  // namespace skerrit
