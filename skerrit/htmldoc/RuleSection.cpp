// Group C: the horizontal rules, each a position, a kind and an attribute byte, with a width word
// for rules narrower than the line. Filler entries (kind 0) bridge gaps wider than 65536. The block
// is a RuleTableRecord.
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
        if (record_.entryCount > 0 && rule.position > lastPosition_) {
            uint32_t filler = lastPosition_;
            while (rule.position - filler > kSectionPositionStep) {
                filler += kSectionPositionStep;
                if (!addEntry(filler, RuleTableRecord::kFiller, 0, 0))
                    return false;
            }
        }
        const uint8_t attributes = ruleAttributeByte(rule);
        const uint16_t width = (attributes & kRuleHasWidthWord) != 0 ? ruleWidthWord(rule) : 0;
        return addEntry(rule.position, RuleTableRecord::kRule, attributes, width);
    }

    [[nodiscard]] bool flush() {
        if (record_.entryCount == 0)
            return true;
        std::array<uint8_t, RuleTableRecord::kMaxSize> bytes{};
        const uint32_t size = encodeRuleTableRecord(record_, bytes.data());
        record_.entryCount = 0;
        record_.widthCount = 0;
        return emitBlock(output_, bytes.data(), size, blockCount_);
    }

  private:
    [[nodiscard]] bool addEntry(uint32_t position, uint8_t kind, uint8_t attributes,
                                uint16_t width) {
        RuleTableRecord& record = record_;
        if (record.entryCount == 0)
            record.startHigh = highHalf(position);
        record.lastHigh = highHalf(position);
        record.positionLows[record.entryCount] = lowHalf(position);
        record.kinds[record.entryCount] = kind;
        record.attributes[record.entryCount] = attributes;
        if ((attributes & kRuleHasWidthWord) != 0)
            record.widths[record.widthCount++] = width;
        lastPosition_ = position;
        ++record.entryCount;
        return record.entryCount < kSectionBlockEntries || flush();
    }

    const SectionOutput& output_;
    int32_t& blockCount_;
    uint32_t lastPosition_ = 0;
    RuleTableRecord record_;
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
