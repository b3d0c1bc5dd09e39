// Text preparation: plain mode (drop or convert CR/LF, drop zero bytes, expand tabs) and the
// single-break mode of -sLB, a five-state machine that turns a lone line break between two pieces
// of text into spaces and copies runs of two or more breaks unchanged. Bytes that pass untouched
// are written in runs, not one by one.
#include "encoder/TextPreparer.h"

#include <algorithm>
#include <array>

#include "encoder/CallbackIo.h"
#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

constexpr uint8_t kTab = 9;
constexpr uint8_t kLineFeed = 10;
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kSpace = 32;

bool writeBytes(TextPreparer& preparer, const uint8_t* bytes, uint32_t count) {
    if (count == 0)
        return true;
    preparer.preparedLength += count;
    if (preparer.output == nullptr)
        return true;
    const ConverterCallbacks& callbacks = *preparer.callbacks;
    return callbacks.writeFile(callbacks.context, preparer.output, count, bytes) ==
           static_cast<int32_t>(count);
}

// Writes `count` copies of one byte (counts go up to 9999, so in blocks).
bool writeRepeated(TextPreparer& preparer, uint8_t byte, int32_t count) {
    std::array<uint8_t, 256> block{};
    block.fill(byte);
    for (int32_t left = count; left > 0;) {
        const int32_t piece = std::min<int32_t>(left, static_cast<int32_t>(block.size()));
        if (!writeBytes(preparer, block.data(), static_cast<uint32_t>(piece)))
            return false;
        left -= piece;
    }
    return true;
}

bool writePair(TextPreparer& preparer, uint8_t first, uint8_t second) {
    const std::array<uint8_t, 2> pair{first, second};
    return writeBytes(preparer, pair.data(), 2);
}

bool isSet(int32_t option) {
    return option != kNotSet;
}

// One piece of input and the run of untouched bytes that is open in it.
class PieceFeeder {
  public:
    PieceFeeder(TextPreparer& preparer, const uint8_t* bytes, uint32_t count)
        : preparer_(preparer), bytes_(bytes), count_(count) {}

    bool run() {
        for (index_ = 0; index_ < count_; ++index_) {
            if (!feedByte(bytes_[index_]))
                return false;
        }
        if (preparer_.breakState == kInsideText)
            return writeBytes(preparer_, runStart(), runLength());
        return true;
    }

  private:
    const uint8_t* runStart() const { return bytes_ + runBegin_; }
    uint32_t runLength() const { return index_ - runBegin_; }

    // Writes the run up to the current byte; the next run starts after it.
    bool flush() {
        const bool written = writeBytes(preparer_, runStart(), runLength());
        runBegin_ = index_ + 1;
        return written;
    }

    void startRunHere() { runBegin_ = index_; }

    bool feedByte(uint8_t c) {
        if ((c == kCarriageReturn && preparer_.removeCR != 0) ||
            (c == kLineFeed && preparer_.removeLF != 0)) {
            if (preparer_.breakState == kInsideText)
                return flush();
            runBegin_ = index_ + 1;
            return true;
        }
        if (!isSet(preparer_.singleBreakSpaces))
            return feedPlain(c);
        return feedSingleBreak(c);
    }

    // Plain mode; also the treatment of every byte inside text in single-break mode, so that
    // tab options and the dropping of zero bytes hold whatever the line-break option.
    bool feedPlain(uint8_t c) {
        if (c == kCarriageReturn && preparer_.convertCRtoLF != 0) {
            return flush() && writeRepeated(preparer_, kLineFeed, 1);
        }
        if (c == 0)
            return flush();
        if (c == kTab && isSet(preparer_.tabLineBreaks)) {
            return flush() && writeRepeated(preparer_, kLineFeed, preparer_.tabLineBreaks);
        }
        if (c == kTab && isSet(preparer_.tabSpaces)) {
            return flush() && writeRepeated(preparer_, kSpace, preparer_.tabSpaces);
        }
        return true;  // stays in the run
    }

    // A pending single break followed by text becomes the spaces of -sLB.
    bool endSingleBreak(uint8_t c) {
        if (!writeRepeated(preparer_, kSpace, preparer_.singleBreakSpaces))
            return false;
        return returnToText(c);
    }

    bool returnToText(uint8_t c) {
        preparer_.breakState = kInsideText;
        startRunHere();
        return feedPlain(c);
    }

    bool feedSingleBreak(uint8_t c) {
        const bool converting = preparer_.convertCRtoLF != 0;
        const bool isBreak = c == kCarriageReturn || c == kLineFeed;
        const bool isLineFeed = c == kLineFeed || (c == kCarriageReturn && converting);
        switch (preparer_.breakState) {
            case kInsideText:
                if (!isBreak)
                    return feedPlain(c);
                preparer_.breakState = isLineFeed ? kLineFeedPending : kCarriageReturnPending;
                return flush();
            case kCarriageReturnPending:
                if (c == kCarriageReturn) {
                    preparer_.breakState = kInsideBreakRun;
                    return writePair(preparer_, kCarriageReturn, kCarriageReturn);
                }
                if (c == kLineFeed) {
                    preparer_.breakState = kCarriageReturnLineFeedPending;
                    return true;
                }
                return endSingleBreak(c);
            case kLineFeedPending:
                if (!isBreak)
                    return endSingleBreak(c);
                preparer_.breakState = kInsideBreakRun;
                return writePair(preparer_, kLineFeed, isLineFeed ? kLineFeed : kCarriageReturn);
            case kCarriageReturnLineFeedPending:
                if (!isBreak)
                    return endSingleBreak(c);
                preparer_.breakState = kInsideBreakRun;
                return writePair(preparer_, kCarriageReturn, kLineFeed) &&
                       writeRepeated(preparer_, c, 1);
            default:  // kInsideBreakRun
                if (!isBreak)
                    return returnToText(c);
                return writeRepeated(preparer_, isLineFeed ? kLineFeed : c, 1);
        }
    }

    TextPreparer& preparer_;
    const uint8_t* bytes_;
    uint32_t count_;
    uint32_t index_ = 0;
    uint32_t runBegin_ = 0;
};

}  // namespace

TextPreparer makeTextPreparer(const ConversionRequest& request, FileObject textStream) {
    return TextPreparer{kInsideText,
                        request.callbacks,
                        textStream,
                        0,
                        request.removeCR,
                        request.removeLF,
                        request.convertCRtoLF,
                        request.singleBreakSpaces,
                        request.tabLineBreaks,
                        request.tabSpaces};
}

bool feedText(TextPreparer& preparer, const uint8_t* bytes, uint32_t count) {
    return PieceFeeder(preparer, bytes, count).run();
}

int32_t prepareText(const ConversionRequest& request, FileObject source, FileObject textStream,
                    uint64_t* preparedLength) {
    const ConverterCallbacks& callbacks = *request.callbacks;
    const uint32_t size = callbacks.seekFile(callbacks.context, source, 0, kSeekFromEnd);
    if (size == kSeekFailed)
        return kResultPreprocessFailed;
    if (callbacks.seekFile(callbacks.context, source, 0, kSeekFromStart) != 0) {
        return kResultPreprocessFailed;
    }
    TextPreparer preparer = makeTextPreparer(request, textStream);
    std::array<uint8_t, kTextPieceSize> piece{};
    for (uint32_t position = 0; position < size;) {
        const uint32_t wanted = std::min(kTextPieceSize, size - position);
        if (!readExactly(callbacks, source, wanted, piece.data()))
            return kResultPreprocessFailed;
        if (!feedText(preparer, piece.data(), wanted))
            return kResultPreprocessFailed;
        position += wanted;
        const auto percent = static_cast<int32_t>(uint64_t{position} * 100 / size);
        if (!reportPercent(callbacks, percent))
            return kResultCanceled;
    }
    if (preparedLength != nullptr)
        *preparedLength = preparer.preparedLength;
    return kResultOk;
}

}  // namespace skerrit
