// Group D: where each converted file's text ends. A block's words are the low half of where its
// first file begins, then the low half of each file's end; an end 65536 or more past the previous
// boundary is written as an escape: the previous word repeated, then the end's high and low halves.
// The block is a FileBoundaryRecord. A document of one file needs none.
#include <array>

#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

class BoundaryBlock {
  public:
    BoundaryBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addFileEnd(uint32_t previous, uint32_t end, uint16_t fileNumber) {
        FileBoundaryRecord& record = record_;
        if (record.wordCount == 0) {
            record.startHigh = highHalf(previous);
            record.firstFile = fileNumber;
            record.words[record.wordCount++] = lowHalf(previous);
        }
        if (end - previous >= kSectionPositionStep) {
            const uint16_t repeated = record.words[record.wordCount - 1];
            record.words[record.wordCount++] = repeated;
            record.words[record.wordCount++] = highHalf(end);
        }
        record.words[record.wordCount++] = lowHalf(end);
        record.lastFile = fileNumber;
        return record.wordCount < kSectionBlockEntries || flush(end);
    }

    bool empty() const { return record_.wordCount == 0; }

    [[nodiscard]] bool flush(uint32_t lastEnd) {
        record_.endHigh = highHalf(lastEnd);
        std::array<uint8_t, FileBoundaryRecord::kMaxSize> bytes{};
        const uint32_t size = encodeFileBoundaryRecord(record_, bytes.data());
        record_.wordCount = 0;
        return emitBlock(output_, bytes.data(), size, blockCount_);
    }

  private:
    const SectionOutput& output_;
    int32_t& blockCount_;
    FileBoundaryRecord record_;
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
