// Group B: the resolved links as entries of at most 255 bytes of text, each with the position it
// jumps to. Filler entries (length 0, target 0) bridge gaps wider than 65536 between entries of a
// block. Block: startHigh, endHigh, n, n start lows, endLow, n lengths, n reserved bytes,
// n targets.
#include <array>

#include "htmldoc/DocumentRecords.h"
#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

// An entry's length is one byte.
constexpr uint32_t kLinkEntryMaxLength = 255;

class LinkBlock {
  public:
    LinkBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addLink(uint32_t start, uint32_t end, uint32_t target) {
        if (entryCount_ > 0 && start > lastStart_) {
            uint32_t filler = lastStart_;
            while (start - filler > kSectionPositionStep) {
                filler += kSectionPositionStep;
                if (!addEntry(filler, 0, 0))
                    return false;
            }
        }
        for (uint32_t piece = start; piece < end;) {
            const uint32_t length =
                end - piece < kLinkEntryMaxLength ? end - piece : kLinkEntryMaxLength;
            if (!addEntry(piece, length, target))
                return false;
            piece += length;
        }
        return true;
    }

    [[nodiscard]] bool flush() {
        if (entryCount_ == 0)
            return true;
        BigEndianBlock<8 + 8 * kSectionBlockEntries> block;
        block.put16(startHigh_);
        block.put16(endHigh_);
        block.put16(entryCount_);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put16(startLows_[index]);
        block.put16(endLow_);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put8(lengths_[index]);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put8(0);
        for (uint32_t index = 0; index < entryCount_; ++index)
            block.put32(targets_[index]);
        entryCount_ = 0;
        return emitBlock(output_, block.data(), block.size(), blockCount_);
    }

  private:
    [[nodiscard]] bool addEntry(uint32_t start, uint32_t length, uint32_t target) {
        if (entryCount_ == 0)
            startHigh_ = highHalf(start);
        endHigh_ = highHalf(start + length);
        endLow_ = lowHalf(start + length);
        startLows_[entryCount_] = lowHalf(start);
        lengths_[entryCount_] = static_cast<uint8_t>(length);
        targets_[entryCount_] = target;
        lastStart_ = start;
        ++entryCount_;
        return entryCount_ < kSectionBlockEntries || flush();
    }

    const SectionOutput& output_;
    int32_t& blockCount_;
    uint16_t startHigh_ = 0;
    uint16_t endHigh_ = 0;
    uint16_t endLow_ = 0;
    uint32_t lastStart_ = 0;
    uint32_t entryCount_ = 0;
    std::array<uint16_t, kSectionBlockEntries> startLows_{};
    std::array<uint8_t, kSectionBlockEntries> lengths_{};
    std::array<uint32_t, kSectionBlockEntries> targets_{};
};

}  // namespace

int32_t writeLinkTable(const SectionOutput& output, FileObject linkStream, int32_t& blockCount) {
    const ConverterCallbacks& callbacks = *output.callbacks;
    blockCount = 0;
    LinkBlock block(output, blockCount);
    uint32_t offset = 0;
    for (;;) {
        if (!seekTo(callbacks, linkStream, offset))
            return 0;
        std::array<uint8_t, LinkRecord::kSize> bytes{};
        const ReadOutcome read = readRecord(callbacks, linkStream, bytes.data(), LinkRecord::kSize);
        if (read == ReadOutcome::kFailed)
            return 0;
        if (read == ReadOutcome::kEnded)
            break;
        const LinkRecord link = decodeLinkRecord(bytes.data());
        if (link.resolved() && link.target != kNoneValue &&
            !block.addLink(link.start, link.end, link.target)) {
            return 0;
        }
        offset = link.nextRecordOffset(offset);
    }
    return block.flush() ? 1 : 0;
}

}  // namespace skerrit
