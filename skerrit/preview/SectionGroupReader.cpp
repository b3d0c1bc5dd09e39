// Decodes each group's blocks with the layouts the section writers encode them with, then joins
// the stored halves into text positions and checks them against the text.
#include "preview/SectionGroupReader.h"

#include <string>

#include "htmldoc/SectionRecords.h"

namespace skerrit::preview {
namespace {

constexpr uint64_t kStep = kSectionPositionStep;

// The position after `previous` whose low half is `low`, at most one step further on. Equal low
// halves mean a whole step when `equalIsStep`, else the same position.
uint64_t nextPosition(uint64_t previous, uint16_t low, bool equalIsStep) {
    const uint64_t difference = (uint64_t{low} - (previous & 0xFFFFu)) & 0xFFFFu;
    return previous + (difference == 0 && equalIsStep ? kStep : difference);
}

const char* const kGroupNames[kSectionGroupCount] = {"style-run", "link", "rule", "file-boundary"};

bool checkGroupPlacement(const PalmContainer& container, const Book& book, ReadFailure& failure) {
    for (uint32_t group = 0; group < kSectionGroupCount; ++group) {
        const SectionGroupRange range = book.headerRecord.groups[group];
        if (range.count == 0)
            continue;
        const uint64_t end = uint64_t{range.first} + range.count;
        if (range.first < book.headerRecord.textPartRecords || end > container.records.size() ||
            end > kExtraRecordIndexLimit) {
            return fail(failure, 0,
                        std::string("the ") + kGroupNames[group] + " group (records " +
                            std::to_string(range.first) + " to " + std::to_string(end - 1) +
                            ") lies outside the extra records");
        }
    }
    return true;
}

class GroupReader {
  public:
    GroupReader(const PalmContainer& container, Book& book, ReadFailure& failure)
        : container_(container), book_(book), failure_(failure), textLength_(book.text.size()) {}

    [[nodiscard]] bool readAll() {
        return forEachBlock(kGroupStyleRuns, &GroupReader::readStyleRunBlock) &&
               forEachBlock(kGroupLinks, &GroupReader::readLinkBlock) &&
               forEachBlock(kGroupRules, &GroupReader::readRuleBlock) &&
               forEachBlock(kGroupFileBoundaries, &GroupReader::readBoundaryBlock) &&
               checkFileCount();
    }

  private:
    using BlockReader = bool (GroupReader::*)(uint32_t index, ByteSpan bytes);

    bool forEachBlock(SectionGroup group, BlockReader read) {
        const SectionGroupRange range = book_.headerRecord.groups[group];
        for (uint32_t index = range.first; index < uint32_t{range.first} + range.count; ++index) {
            if (!(this->*read)(index, container_.records[index]))
                return false;
        }
        return true;
    }

    bool damaged(uint32_t index, const std::string& what) { return fail(failure_, index, what); }

    bool pastText(uint64_t position) const { return position > textLength_; }

    bool readStyleRunBlock(uint32_t index, ByteSpan bytes) {
        StyleRunRecord block;
        if (!decodeStyleRunRecord(bytes.data(), static_cast<uint32_t>(bytes.size()), block))
            return damaged(index, "the style-run block is damaged");
        uint64_t start = joinHalves(block.startHigh, block.startLows[0]);
        if (start != runsEnd_)
            return damaged(index, "its first run does not start where the runs before it end");
        std::array<uint64_t, kSectionBlockEntries + 1> starts{};
        starts[0] = start;
        for (uint32_t run = 1; run < block.runCount; ++run)
            starts[run] = nextPosition(starts[run - 1], block.startLows[run], true);
        const uint64_t end = nextPosition(starts[block.runCount - 1], block.endLow, true);
        if (highHalf(static_cast<uint32_t>(end)) != block.endHigh || end > 0xFFFFFFFFu)
            return damaged(index, "its runs do not end where the block says");
        if (pastText(end))
            return damaged(index, "its runs reach past the end of the text");
        starts[block.runCount] = end;
        uint32_t extra = 0;
        for (uint32_t run = 0; run < block.runCount; ++run) {
            const uint16_t attributes = block.attributes[run];
            const uint16_t extraWord =
                (attributes & styleword::kHasExtraWord) != 0 ? block.extras[extra++] : 0;
            book_.styleRuns.push_back({static_cast<uint32_t>(starts[run]),
                                       static_cast<uint32_t>(starts[run + 1]), attributes,
                                       extraWord});
        }
        runsEnd_ = end;
        book_.groupEntries[kGroupStyleRuns] += block.runCount;
        return true;
    }

    bool readLinkBlock(uint32_t index, ByteSpan bytes) {
        LinkTableRecord block;
        if (!decodeLinkTableRecord(bytes.data(), static_cast<uint32_t>(bytes.size()), block))
            return damaged(index, "the link block is damaged");
        uint64_t start = joinHalves(block.startHigh, block.startLows[0]);
        if (haveLinkEntry_ && start <= lastLinkStart_)
            return damaged(index, "its first entry does not follow the entries before it");
        for (uint32_t entry = 0; entry < block.entryCount; ++entry) {
            if (entry > 0)
                start = nextPosition(start, block.startLows[entry], true);
            const uint32_t length = block.lengths[entry];
            if (pastText(start + length))
                return damaged(index, "a link reaches past the end of the text");
            // Fillers only carry positions across wide gaps.
            if (length > 0) {
                if (pastText(block.targets[entry]))
                    return damaged(index, "a link jumps past the end of the text");
                book_.links.push_back({static_cast<uint32_t>(start), length, block.targets[entry]});
            }
        }
        const uint64_t end = start + block.lengths[block.entryCount - 1];
        if (end != joinHalves(block.endHigh, block.endLow))
            return damaged(index, "its entries do not end where the block says");
        haveLinkEntry_ = true;
        lastLinkStart_ = start;
        book_.groupEntries[kGroupLinks] += block.entryCount;
        return true;
    }

    bool readRuleBlock(uint32_t index, ByteSpan bytes) {
        RuleTableRecord block;
        if (!decodeRuleTableRecord(bytes.data(), static_cast<uint32_t>(bytes.size()), block))
            return damaged(index, "the rule block is damaged");
        uint64_t position = joinHalves(block.startHigh, block.positionLows[0]);
        if (haveRule_ && position <= lastRule_)
            return damaged(index, "its first rule does not follow the rules before it");
        uint32_t width = 0;
        for (uint32_t entry = 0; entry < block.entryCount; ++entry) {
            const uint8_t kind = block.kinds[entry];
            if (kind != RuleTableRecord::kRule && kind != RuleTableRecord::kFiller)
                return damaged(index, "an entry is neither a rule nor a filler");
            if (entry > 0)
                position = nextPosition(position, block.positionLows[entry], true);
            if (pastText(position))
                return damaged(index, "a rule lies past the end of the text");
            const uint8_t attributes = block.attributes[entry];
            const uint16_t widthWord =
                (attributes & rulebyte::kHasWidthWord) != 0 ? block.widths[width++] : 0;
            if (kind == RuleTableRecord::kRule)
                book_.rules.push_back({static_cast<uint32_t>(position), attributes, widthWord});
        }
        if (highHalf(static_cast<uint32_t>(position)) != block.lastHigh)
            return damaged(index, "its last rule does not lie where the block says");
        haveRule_ = true;
        lastRule_ = position;
        book_.groupEntries[kGroupRules] += block.entryCount;
        return true;
    }

    bool readBoundaryBlock(uint32_t index, ByteSpan bytes) {
        FileBoundaryRecord block;
        if (!decodeFileBoundaryRecord(bytes.data(), static_cast<uint32_t>(bytes.size()), block))
            return damaged(index, "the file-boundary block is damaged");
        uint64_t boundary = joinHalves(block.startHigh, block.words[0]);
        if (boundary != filesEnd_ || block.firstFile != nextFile_)
            return damaged(index, "its first file does not follow the files before it");
        uint32_t fileNumber = block.firstFile;
        for (uint32_t word = 1; word < block.wordCount; ++word) {
            uint64_t end = 0;
            if (block.words[word] == block.words[word - 1]) {
                // The escape: the end's high and low halves follow in full.
                if (word + 2 >= block.wordCount)
                    return damaged(index, "it ends inside a long file's escape");
                end = joinHalves(block.words[word + 1], block.words[word + 2]);
                if (end < boundary + kStep)
                    return damaged(index, "an escape gives an end that needs none");
                word += 2;
            } else {
                end = nextPosition(boundary, block.words[word], false);
            }
            if (pastText(end))
                return damaged(index, "a file ends past the end of the text");
            book_.files.push_back(
                {fileNumber++, static_cast<uint32_t>(boundary), static_cast<uint32_t>(end)});
            boundary = end;
        }
        if (fileNumber == block.firstFile || fileNumber - 1 != block.lastFile)
            return damaged(index, "its file numbers do not match its boundaries");
        if (highHalf(static_cast<uint32_t>(boundary)) != block.endHigh)
            return damaged(index, "its last file does not end where the block says");
        filesEnd_ = boundary;
        nextFile_ = fileNumber;
        book_.groupEntries[kGroupFileBoundaries] += block.wordCount;
        return true;
    }

    bool checkFileCount() {
        if (!book_.files.empty() && book_.files.size() != book_.headerRecord.textFileCount) {
            return fail(
                failure_, 0,
                "the header record counts " + std::to_string(book_.headerRecord.textFileCount) +
                    " files, the file-boundary group " + std::to_string(book_.files.size()));
        }
        return true;
    }

    const PalmContainer& container_;
    Book& book_;
    ReadFailure& failure_;
    uint64_t textLength_;
    uint64_t runsEnd_ = 0;
    bool haveLinkEntry_ = false;
    uint64_t lastLinkStart_ = 0;
    bool haveRule_ = false;
    uint64_t lastRule_ = 0;
    uint64_t filesEnd_ = 0;
    uint32_t nextFile_ = 0;
};

}  // namespace

bool readSectionGroups(const PalmContainer& container, Book& book, ReadFailure& failure) {
    book.styleRuns.clear();
    book.links.clear();
    book.rules.clear();
    book.files.clear();
    book.groupEntries.fill(0);
    return checkGroupPlacement(container, book, failure) &&
           GroupReader(container, book, failure).readAll();
}

}  // namespace skerrit::preview
