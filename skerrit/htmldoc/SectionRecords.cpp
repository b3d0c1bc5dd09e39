// Big-endian encoding and checked decoding of the four extra-record layouts, field by field in
// their stored order.
#include "htmldoc/SectionRecords.h"

#include "engine/ByteOrder.h"

namespace skerrit {
namespace {

// Writes fields front to back; the caller's buffer holds the record's size().
class FieldWriter {
  public:
    explicit FieldWriter(uint8_t* bytes) : bytes_(bytes) {}
    void put8(uint32_t value) { bytes_[size_++] = static_cast<uint8_t>(value); }
    void put16(uint32_t value) {
        storeBigEndian16(bytes_ + size_, value);
        size_ += 2;
    }
    void put32(uint32_t value) {
        storeBigEndian32(bytes_ + size_, value);
        size_ += 4;
    }
    uint32_t size() const { return size_; }

  private:
    uint8_t* bytes_;
    uint32_t size_ = 0;
};

// Reads fields front to back; a read past the end gives 0 and marks the record as short.
class FieldReader {
  public:
    FieldReader(const uint8_t* bytes, uint32_t size) : bytes_(bytes), size_(size) {}
    uint8_t get8() { return has(1) ? bytes_[offset_++] : 0; }
    uint16_t get16() {
        if (!has(2))
            return 0;
        offset_ += 2;
        return loadBigEndian16(bytes_ + offset_ - 2);
    }
    uint32_t get32() {
        if (!has(4))
            return 0;
        offset_ += 4;
        return loadBigEndian32(bytes_ + offset_ - 4);
    }
    // Every field was there and nothing follows the last one.
    bool exact() const { return !short_ && offset_ == size_; }
    bool isShort() const { return short_; }

  private:
    bool has(uint32_t count) {
        if (!short_ && size_ - offset_ >= count)
            return true;
        short_ = true;
        return false;
    }
    const uint8_t* bytes_;
    uint32_t size_;
    uint32_t offset_ = 0;
    bool short_ = false;
};

bool validEntryCount(uint32_t count) {
    return count >= 1 && count <= kSectionBlockEntries;
}

}  // namespace

uint32_t encodeStyleRunRecord(const StyleRunRecord& record, uint8_t* bytes) {
    FieldWriter out(bytes);
    out.put16(record.startHigh);
    out.put16(record.endHigh);
    out.put16(record.runCount);
    for (uint32_t index = 0; index < record.runCount; ++index)
        out.put16(record.startLows[index]);
    out.put16(record.endLow);
    for (uint32_t index = 0; index < record.runCount; ++index)
        out.put16(record.attributes[index]);
    out.put16(record.extraCount);
    for (uint32_t index = 0; index < record.extraCount; ++index)
        out.put16(record.extras[index]);
    return out.size();
}

bool decodeStyleRunRecord(const uint8_t* bytes, uint32_t size, StyleRunRecord& record) {
    FieldReader in(bytes, size);
    record.startHigh = in.get16();
    record.endHigh = in.get16();
    record.runCount = in.get16();
    if (in.isShort() || !validEntryCount(record.runCount))
        return false;
    for (uint32_t index = 0; index < record.runCount; ++index)
        record.startLows[index] = in.get16();
    record.endLow = in.get16();
    uint32_t runsWithExtraWord = 0;
    for (uint32_t index = 0; index < record.runCount; ++index) {
        record.attributes[index] = in.get16();
        if ((record.attributes[index] & styleword::kHasExtraWord) != 0)
            ++runsWithExtraWord;
    }
    record.extraCount = in.get16();
    if (in.isShort() || record.extraCount != runsWithExtraWord)
        return false;
    for (uint32_t index = 0; index < record.extraCount; ++index)
        record.extras[index] = in.get16();
    return in.exact();
}

uint32_t encodeLinkTableRecord(const LinkTableRecord& record, uint8_t* bytes) {
    FieldWriter out(bytes);
    out.put16(record.startHigh);
    out.put16(record.endHigh);
    out.put16(record.entryCount);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put16(record.startLows[index]);
    out.put16(record.endLow);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put8(record.lengths[index]);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put8(0);  // reserved
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put32(record.targets[index]);
    return out.size();
}

bool decodeLinkTableRecord(const uint8_t* bytes, uint32_t size, LinkTableRecord& record) {
    FieldReader in(bytes, size);
    record.startHigh = in.get16();
    record.endHigh = in.get16();
    record.entryCount = in.get16();
    if (in.isShort() || !validEntryCount(record.entryCount))
        return false;
    for (uint32_t index = 0; index < record.entryCount; ++index)
        record.startLows[index] = in.get16();
    record.endLow = in.get16();
    for (uint32_t index = 0; index < record.entryCount; ++index)
        record.lengths[index] = in.get8();
    for (uint32_t index = 0; index < record.entryCount; ++index)
        static_cast<void>(in.get8());  // reserved
    for (uint32_t index = 0; index < record.entryCount; ++index)
        record.targets[index] = in.get32();
    return in.exact();
}

uint32_t encodeRuleTableRecord(const RuleTableRecord& record, uint8_t* bytes) {
    FieldWriter out(bytes);
    out.put16(record.startHigh);
    out.put16(record.lastHigh);
    out.put16(record.entryCount);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put16(record.positionLows[index]);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put8(record.kinds[index]);
    for (uint32_t index = 0; index < record.entryCount; ++index)
        out.put8(record.attributes[index]);
    for (uint32_t index = 0; index < record.widthCount; ++index)
        out.put16(record.widths[index]);
    return out.size();
}

bool decodeRuleTableRecord(const uint8_t* bytes, uint32_t size, RuleTableRecord& record) {
    FieldReader in(bytes, size);
    record.startHigh = in.get16();
    record.lastHigh = in.get16();
    record.entryCount = in.get16();
    if (in.isShort() || !validEntryCount(record.entryCount))
        return false;
    for (uint32_t index = 0; index < record.entryCount; ++index)
        record.positionLows[index] = in.get16();
    for (uint32_t index = 0; index < record.entryCount; ++index)
        record.kinds[index] = in.get8();
    record.widthCount = 0;
    for (uint32_t index = 0; index < record.entryCount; ++index) {
        record.attributes[index] = in.get8();
        if ((record.attributes[index] & rulebyte::kHasWidthWord) != 0)
            ++record.widthCount;
    }
    for (uint32_t index = 0; index < record.widthCount; ++index)
        record.widths[index] = in.get16();
    return in.exact();
}

uint32_t encodeFileBoundaryRecord(const FileBoundaryRecord& record, uint8_t* bytes) {
    FieldWriter out(bytes);
    out.put16(record.startHigh);
    out.put16(record.endHigh);
    out.put16(record.firstFile);
    out.put16(record.lastFile);
    out.put16(record.wordCount);
    for (uint32_t index = 0; index < record.wordCount; ++index)
        out.put16(record.words[index]);
    return out.size();
}

bool decodeFileBoundaryRecord(const uint8_t* bytes, uint32_t size, FileBoundaryRecord& record) {
    FieldReader in(bytes, size);
    record.startHigh = in.get16();
    record.endHigh = in.get16();
    record.firstFile = in.get16();
    record.lastFile = in.get16();
    record.wordCount = in.get16();
    if (in.isShort() || record.wordCount < FileBoundaryRecord::kMinWords ||
        record.wordCount > FileBoundaryRecord::kMaxWords) {
        return false;
    }
    for (uint32_t index = 0; index < record.wordCount; ++index)
        record.words[index] = in.get16();
    return in.exact();
}

}  // namespace skerrit
