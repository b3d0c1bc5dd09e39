// Group B: the resolved links as entries of at most 255 bytes of text, each with the position it
// jumps to. Filler entries (length 0, target 0) bridge gaps wider than 65536 between entries of a
// block. The block is a LinkTableRecord.
#include <array>

#include "htmldoc/DocumentRecords.h"
#include "htmldoc/DocumentSections.h"
#include "htmldoc/RecordStream.h"

namespace skerrit {
namespace {

constexpr uint32_t kLinkEntryMaxLength = LinkTableRecord::kMaxEntryLength;

class LinkBlock {
  public:
    LinkBlock(const SectionOutput& output, int32_t& blockCount)
        : output_(output), blockCount_(blockCount) {}

    [[nodiscard]] bool addLink(uint32_t start, uint32_t end, uint32_t target) {
        if (record_.entryCount > 0 && start > lastStart_) {
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
        if (record_.entryCount == 0)
            return true;
        std::array<uint8_t, LinkTableRecord::kMaxSize> bytes{};
        const uint32_t size = encodeLinkTableRecord(record_, bytes.data());
        record_.entryCount = 0;
        return emitBlock(output_, bytes.data(), size, blockCount_);
    }

  private:
    [[nodiscard]] bool addEntry(uint32_t start, uint32_t length, uint32_t target) {
        LinkTableRecord& record = record_;
        if (record.entryCount == 0)
            record.startHigh = highHalf(start);
        record.endHigh = highHalf(start + length);
        record.endLow = lowHalf(start + length);
        record.startLows[record.entryCount] = lowHalf(start);
        record.lengths[record.entryCount] = static_cast<uint8_t>(length);
        record.targets[record.entryCount] = target;
        lastStart_ = start;
        ++record.entryCount;
        return record.entryCount < kSectionBlockEntries || flush();
    }

    const SectionOutput& output_;
    int32_t& blockCount_;
    uint32_t lastStart_ = 0;
    LinkTableRecord record_;
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
