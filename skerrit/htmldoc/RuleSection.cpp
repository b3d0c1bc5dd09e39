// Group C: the horizontal rules, each a position, a kind and an attribute byte, with a width word
// for rules narrower than the line. Filler entries (kind 0) bridge gaps wider than 65536. Block:
// startHigh, lastHigh, n, n position lows, n kinds, n attribute bytes, then the width words
// (their count is that of the attribute bytes with bit 7 set).
#include <array>

#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

class RuleBlock {
  public:
    RuleBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addRule(const StoredBlockRecord& rule) {
        if (entryCount_ > 0 && rule.position > lastPosition_) {
            uint32_t filler = lastPosition_;
            while (rule.position - filler > kSectionPositionStep) {
                filler += kSectionPositionStep;
                if (!addEntry(filler, 0, 0, 0))
                    return false;
            }
        }
        const uint8_t attributes = ruleAttributeByte(rule);
        const uint16_t width = (attributes & kRuleHasWidthWord) != 0 ? ruleWidthWord(rule) : 0;
        return addEntry(rule.position, 1, attributes, width);
    }

    [[nodiscard]] bool flush() {
        if (entryCount_ == 0)
            return true;
        BigEndianBlock<6 + 4 * kSectionBlockEntries + 2 * kSectionBlockEntries> block;
        block.put16(startHigh_);
        block.put16(lastHigh_);
        block.put16(entryCount_);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put16(positionLows_[index]);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put8(kinds_[index]);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put8(attributes_[index]);
        for (uint32_t index = 0; index < widthCount_; ++index)
            block.put16(widths_[index]);
        entryCount_ = 0;
        widthCount_ = 0;
        return emitBlock(output_, block.data(), block.size(), blockCount_);
    }

  private:
    [[nodiscard]] bool addEntry(uint32_t position, uint8_t kind, uint8_t attributes,
                                uint16_t width) {
        if (entryCount_ == 0)
            startHigh_ = highHalf(position);
        lastHigh_ = highHalf(position);
        positionLows_[entryCount_] = lowHalf(position);
        kinds_[entryCount_] = kind;
        attributes_[entryCount_] = attributes;
        if ((attributes & kRuleHasWidthWord) != 0)
            widths_[widthCount_++] = width;
        lastPosition_ = position;
        ++entryCount_;
        return entryCount_ < kSectionBlockEntries || flush();
    }

    const SectionOutput& output_;
    int32_t& blockCount_;
    uint16_t startHigh_ = 0;
    uint16_t lastHigh_ = 0;
    uint32_t lastPosition_ = 0;
    uint32_t entryCount_ = 0;
    uint32_t widthCount_ = 0;
    std::array<uint16_t, kSectionBlockEntries> positionLows_{};
    std::array<uint8_t, kSectionBlockEntries> kinds_{};
    std::array<uint8_t, kSectionBlockEntries> attributes_{};
    std::array<uint16_t, kSectionBlockEntries> widths_{};
};

}  // namespace

int32_t writeRuleTable(const SectionOutput& output, FileObject blockStream, int32_t& blockCount) {
    const ConverterCallbacks& callbacks = *output.callbacks;
    blockCount = 0;
    RuleBlock block(output, blockCount);
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
        if (record.kind == StoredBlockRecord::kRule && !block.addRule(record))
            return 0;
    }
    return block.flush() ? 1 : 0;
}

}  // namespace skerrit
