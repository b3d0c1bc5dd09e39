// Doc database input. The header and record list are read through the callbacks; each text
// record is located from the record list and handed to the text preparation, as it is stored or,
// for PalmDOC books, decoded into an 8192-byte buffer first. Every read is checked, and a corrupt
// book ends the step with 105 after a notice naming what could not be read.
#include "encoder/DocReader.h"

#include <algorithm>
#include <cstring>

#include "encoder/CallbackIo.h"
#include "encoder/RecordLocator.h"
#include "encoder/TextPreparer.h"
#include "engine/ByteOrder.h"
#include "engine/ConversionNotice.h"
#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

constexpr uint32_t kDocHeaderReadSize = 12;
constexpr uint32_t kCompressionOffset = 0;
constexpr uint32_t kTextRecordCountOffset = 8;
constexpr uint32_t kRecordReadPiece = 4096;

bool hasDocCreator(const DatabaseHeaderBytes& header) {
    return std::memcmp(header.data() + dbheader::kCreator, "REAd", 4) == 0;
}

// Hands the decoder the bytes of one record, reading the file in pieces rather than a byte per
// call. The decoder never looks past the record's size.
class RecordBytes {
  public:
    RecordBytes(const DocReader& reader, uint32_t size) : reader_(reader), left_(size) {}

    int32_t operator()() {
        if (position_ == filled_) {
            if (left_ == 0)
                return kRecordEnd;
            const uint32_t wanted = std::min(left_, kRecordReadPiece);
            const int32_t got = reader_.callbacks->readFile(reader_.callbacks->context,
                                                            reader_.source, wanted, piece_.data());
            if (got <= 0)
                return kRecordReadFailed;
            filled_ = static_cast<uint32_t>(got);
            position_ = 0;
            left_ -= filled_;
        }
        return piece_[position_++];
    }

  private:
    const DocReader& reader_;
    uint32_t left_;
    std::array<uint8_t, kRecordReadPiece> piece_{};
    uint32_t filled_ = 0;
    uint32_t position_ = 0;
};

// Reads the database header and the Doc header in record 0 and sets the range of text records
// and how they are stored. A book that cannot be read is reported in a notice.
bool openDocReader(DocReader& reader) {
    const ConverterCallbacks& callbacks = *reader.callbacks;
    uint32_t offset = 0;
    uint32_t size = 0;
    std::array<uint8_t, kDocHeaderReadSize> docHeader{};
    if (!readDatabaseHeader(callbacks, reader.source, &reader.header) ||
        !locateRecord(callbacks, reader.source, reader.header.data(), 0, &offset, &size) ||
        !seekTo(callbacks, reader.source, offset) ||
        !readExactly(callbacks, reader.source, kDocHeaderReadSize, docHeader.data())) {
        reportNotice(callbacks, kNoticeDocHeaderDamaged, 0);
        return false;
    }
    reader.compression = loadBigEndian16(docHeader.data() + kCompressionOffset);
    if (reader.compression != kDocUncompressed && reader.compression != kDocPalmDocCompressed) {
        reportNotice(callbacks, kNoticeDocCompression, reader.compression);
        return false;
    }
    const uint32_t numRecords = loadBigEndian16(reader.header.data() + dbheader::kNumRecords);
    const uint32_t textRecords = loadBigEndian16(docHeader.data() + kTextRecordCountOffset);
    if (textRecords >= numRecords) {
        reportNotice(callbacks, kNoticeDocHeaderDamaged, 0);
        return false;
    }
    reader.nextRecord = 1;
    reader.endRecord = textRecords + 1;
    return true;
}

enum class RecordOutcome { kFed, kDamaged, kNotWritten };

// A record stored as it is: its bytes are the text, whatever their size.
RecordOutcome feedStoredRecord(const DocReader& reader, uint32_t size, TextPreparer& preparer) {
    const ConverterCallbacks& callbacks = *reader.callbacks;
    std::array<uint8_t, kRecordReadPiece> piece{};
    for (uint32_t left = size; left > 0;) {
        const uint32_t wanted = std::min(left, kRecordReadPiece);
        if (!readExactly(callbacks, reader.source, wanted, piece.data()))
            return RecordOutcome::kDamaged;
        if (!feedText(preparer, piece.data(), wanted))
            return RecordOutcome::kNotWritten;
        left -= wanted;
    }
    return RecordOutcome::kFed;
}

RecordOutcome feedCompressedRecord(const DocReader& reader, uint32_t size, TextPreparer& preparer,
                                   std::array<uint8_t, kDocRecordCapacity>& text) {
    const int32_t length = decodePalmDocRecord(RecordBytes(reader, size), text);
    if (length < 0)
        return RecordOutcome::kDamaged;
    return feedText(preparer, text.data(), static_cast<uint32_t>(length))
               ? RecordOutcome::kFed
               : RecordOutcome::kNotWritten;
}

RecordOutcome feedRecord(const DocReader& reader, TextPreparer& preparer,
                         std::array<uint8_t, kDocRecordCapacity>& text) {
    const ConverterCallbacks& callbacks = *reader.callbacks;
    uint32_t offset = 0;
    uint32_t size = 0;
    if (!locateRecord(callbacks, reader.source, reader.header.data(), reader.nextRecord, &offset,
                      &size) ||
        !seekTo(callbacks, reader.source, offset)) {
        return RecordOutcome::kDamaged;
    }
    if (reader.compression == kDocUncompressed)
        return feedStoredRecord(reader, size, preparer);
    return feedCompressedRecord(reader, size, preparer, text);
}

}  // namespace

bool isDocDatabase(const ConverterCallbacks& callbacks, FileObject source) {
    DatabaseHeaderBytes header{};
    return readDatabaseHeader(callbacks, source, &header) && hasDocCreator(header);
}

bool readDocTitle(const ConverterCallbacks& callbacks, const char* path, char* title) {
    FileObject file = callbacks.openFile(callbacks.context, path, kOpenRead);
    if (file == nullptr)
        return false;
    DatabaseHeaderBytes header{};
    const bool isDoc =
        readExactly(callbacks, file, kDatabaseHeaderSize, header.data()) && hasDocCreator(header);
    if (isDoc) {
        std::memcpy(title, header.data(), kPalmNameSize);
        title[kPalmNameSize] = '\0';
    }
    const bool closed = callbacks.closeFile(callbacks.context, file) != 0;
    return isDoc && closed;
}

int32_t prepareDoc(const ConversionRequest& request, FileObject source, FileObject textStream,
                   uint64_t* preparedLength) {
    const ConverterCallbacks& callbacks = *request.callbacks;
    TextPreparer preparer = makeTextPreparer(request, textStream);
    DocReader reader{&callbacks, source, {}, 0, 0, 0};
    if (!openDocReader(reader))
        return kResultPreprocessFailed;

    std::array<uint8_t, kDocRecordCapacity> text{};
    for (; reader.nextRecord < reader.endRecord;) {
        const RecordOutcome outcome = feedRecord(reader, preparer, text);
        if (outcome == RecordOutcome::kDamaged)
            reportNotice(callbacks, kNoticeDocRecordDamaged, reader.nextRecord);
        if (outcome != RecordOutcome::kFed)
            return kResultPreprocessFailed;
        ++reader.nextRecord;
        const auto percent =
            static_cast<int32_t>(uint64_t{reader.nextRecord} * 100 / reader.endRecord);
        if (!reportPercent(callbacks, percent))
            return kResultCanceled;
    }
    if (preparedLength != nullptr)
        *preparedLength = preparer.preparedLength;
    return kResultOk;
}

}  // namespace skerrit
