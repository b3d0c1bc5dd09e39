// Group A: the text's formatting as contiguous runs. Each {position, style} pair of the style-run
// stream ends the run of the style before it; runs longer than 65536 bytes are cut so that a run's
// start and length fit the block's 16-bit low halves. The block is a StyleRunRecord.
#include <array>

#include "engine/ByteOrder.h"
#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

class StyleRunBlock {
  public:
    explicit StyleRunBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addRun(uint32_t start, uint32_t length, const StoredTextStyle& style) {
        StyleRunRecord& record = record_;
        if (record.runCount == 0)
            record.startHigh = highHalf(start);
        const uint32_t end = start + length;
        record.endHigh = highHalf(end);
        record.endLow = lowHalf(end);
        record.startLows[record.runCount] = lowHalf(start);
        record.attributes[record.runCount] = styleAttributeWord(style);
        if ((record.attributes[record.runCount] & kStyleHasExtraWord) != 0) {
            record.extras[record.extraCount++] = styleExtraWord(style);
        }
        ++record.runCount;
        return record.runCount < kSectionBlockEntries || flush();
    }

    [[nodiscard]] bool flush() {
        if (record_.runCount == 0)
            return true;
        std::array<uint8_t, StyleRunRecord::kMaxSize> bytes{};
        const uint32_t size = encodeStyleRunRecord(record_, bytes.data());
        record_.runCount = 0;
        record_.extraCount = 0;
        return emitBlock(output_, bytes.data(), size, blockCount_);
    }

  private:
    const SectionOutput& output_;
    int32_t& blockCount_;
    StyleRunRecord record_;
};

}  // namespace

int32_t writeStyleRuns(const SectionOutput& output, FileObject styleRunStream,
                       int32_t& blockCount) {
    const ConverterCallbacks& callbacks = *output.callbacks;
    blockCount = 0;
    if (!seekTo(callbacks, styleRunStream, 0))
        return 0;
    StyleRunBlock block(output, blockCount);
    StoredTextStyle current;
    uint32_t previous = 0;
    for (;;) {
        std::array<uint8_t, 4> positionBytes{};
        const ReadOutcome positionRead =
            readRecord(callbacks, styleRunStream, positionBytes.data(), 4);
        if (positionRead == ReadOutcome::kFailed)
            return 0;
        if (positionRead == ReadOutcome::kEnded)
            break;
        const uint32_t position = loadLittleEndian32(positionBytes.data());
        // Positions never decrease; one that did would cover nothing rather than wrap around.
        if (position > previous) {
            for (uint32_t start = previous; start < position;) {
                const uint32_t length = position - start < kSectionPositionStep
                                            ? position - start
                                            : kSectionPositionStep;
                if (!block.addRun(start, length, current))
                    return 0;
                start += length;
            }
            previous = position;
        }
        std::array<uint8_t, StoredTextStyle::kSize> styleBytes{};
        const ReadOutcome styleRead =
            readRecord(callbacks, styleRunStream, styleBytes.data(), StoredTextStyle::kSize);
        if (styleRead == ReadOutcome::kFailed)
            return 0;
        if (styleRead == ReadOutcome::kEnded)
            break;
        current = decodeStoredTextStyle(styleBytes.data());
    }
    return block.flush() ? 1 : 0;
}

}  // namespace skerrit
