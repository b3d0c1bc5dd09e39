// Group A: the text's formatting as contiguous runs. Each {position, style} pair of the style-run
// stream ends the run of the style before it; runs longer than 65536 bytes are cut so that a run's
// start and length fit the block's 16-bit low halves. Block: startHigh, endHigh, n, n start lows,
// endLow, n attribute words, m, m extra words.
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
        if (runCount_ == 0)
            startHigh_ = highHalf(start);
        const uint32_t end = start + length;
        endHigh_ = highHalf(end);
        endLow_ = lowHalf(end);
        startLows_[runCount_] = lowHalf(start);
        attributes_[runCount_] = styleAttributeWord(style);
        if ((attributes_[runCount_] & kStyleHasExtraWord) != 0) {
            extras_[extraCount_++] = styleExtraWord(style);
        }
        ++runCount_;
        return runCount_ < kSectionBlockEntries || flush();
    }

    [[nodiscard]] bool flush() {
        if (runCount_ == 0)
            return true;
        BigEndianBlock<10 + 4 * kSectionBlockEntries + 2 * kSectionBlockEntries> block;
        block.put16(startHigh_);
        block.put16(endHigh_);
        block.put16(runCount_);
        for (uint32_t index = 0; index < runCount_; ++index)
            block.put16(startLows_[index]);
        block.put16(endLow_);
        for (uint32_t index = 0; index < runCount_; ++index)
            block.put16(attributes_[index]);
        block.put16(extraCount_);
        for (uint32_t index = 0; index < extraCount_; ++index)
            block.put16(extras_[index]);
        runCount_ = 0;
        extraCount_ = 0;
        return emitBlock(output_, block.data(), block.size(), blockCount_);
    }

  private:
    const SectionOutput& output_;
    int32_t& blockCount_;
    uint16_t startHigh_ = 0;
    uint16_t endHigh_ = 0;
    uint16_t endLow_ = 0;
    uint32_t runCount_ = 0;
    uint32_t extraCount_ = 0;
    std::array<uint16_t, kSectionBlockEntries> startLows_{};
    std::array<uint16_t, kSectionBlockEntries> attributes_{};
    std::array<uint16_t, kSectionBlockEntries> extras_{};
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
