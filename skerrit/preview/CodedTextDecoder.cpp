// The code table reader and the text record decoder. Every read of a bit is checked against the
// payload's end and every write against the chunk's capacity.
#include "preview/CodedTextDecoder.h"

#include "engine/ByteOrder.h"

namespace skerrit::preview {
namespace {

using deflate::kCodeLengthSymbols;
using deflate::kDistanceSymbols;
using deflate::kLiteralLengthSymbols;
using deflate::kMaxCodeLength;

// Bits of a payload in the order the writer packed them: word by word, each from bit 0 up.
class PayloadBits {
  public:
    explicit PayloadBits(std::span<const uint8_t> payload) : payload_(payload) {}

    // The next `count` bits (at most 16), first bit lowest; false when the payload ends first.
    [[nodiscard]] bool take(uint32_t count, uint32_t& value) {
        value = 0;
        for (uint32_t index = 0; index < count; ++index) {
            uint32_t bit = 0;
            if (!takeBit(bit))
                return false;
            value |= bit << index;
        }
        return true;
    }

    [[nodiscard]] bool takeBit(uint32_t& bit) {
        if (bitsLeft_ == 0) {
            if (payload_.size() - wordOffset_ < 4)
                return false;
            word_ = loadBigEndian32(payload_.data() + wordOffset_);
            wordOffset_ += 4;
            bitsLeft_ = 32;
        }
        bit = word_ & 1u;
        word_ >>= 1;
        --bitsLeft_;
        return true;
    }

  private:
    std::span<const uint8_t> payload_;
    size_t wordOffset_ = 0;
    uint32_t word_ = 0;
    uint32_t bitsLeft_ = 0;
};

enum class CodeShape { kComplete, kIncomplete, kOverSubscribed };

// Builds the canonical code of `lengths` (0 = no code) and says whether it is complete.
CodeShape buildCanonicalCode(const uint8_t* lengths, uint32_t symbolCount, CanonicalCode& code) {
    code.counts.fill(0);
    for (uint32_t symbol = 0; symbol < symbolCount; ++symbol)
        ++code.counts[lengths[symbol]];
    const uint32_t unused = code.counts[0];
    std::array<uint16_t, kMaxCodeLength + 1> firstIndex{};
    for (uint32_t length = 1; length < kMaxCodeLength; ++length)
        firstIndex[length + 1] = static_cast<uint16_t>(firstIndex[length] + code.counts[length]);
    for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
        if (lengths[symbol] != 0)
            code.symbols[firstIndex[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
    }
    if (unused == symbolCount)
        return CodeShape::kIncomplete;  // no codes at all; any decode fails
    // Codes left over at each length: below 0 there are more codes than room for them.
    int32_t left = 1;
    for (uint32_t length = 1; length <= kMaxCodeLength; ++length) {
        left = left * 2 - code.counts[length];
        if (left < 0)
            return CodeShape::kOverSubscribed;
    }
    return left == 0 ? CodeShape::kComplete : CodeShape::kIncomplete;
}

// An incomplete literal/length or distance code is allowed when it is a single one-bit code;
// with no codes at all, decoding fails only if a symbol of that code is needed.
bool usableCode(CodeShape shape, const CanonicalCode& code) {
    if (shape == CodeShape::kComplete)
        return true;
    if (shape == CodeShape::kOverSubscribed)
        return false;
    uint32_t codes = 0;
    for (uint32_t length = 1; length <= kMaxCodeLength; ++length)
        codes += code.counts[length];
    return codes == 0 || (codes == 1 && code.counts[1] == 1);
}

constexpr int32_t kNoSymbol = -1;
constexpr int32_t kNoBits = -2;

// The next symbol: the code's bits arrive most significant first, one per length.
int32_t decodeSymbol(PayloadBits& bits, const CanonicalCode& code) {
    int32_t value = 0;  // the bits read so far, as a code of the current length
    int32_t first = 0;  // the first code of the current length
    int32_t index = 0;  // where that code's symbol sits in code.symbols
    for (uint32_t length = 1; length <= kMaxCodeLength; ++length) {
        uint32_t bit = 0;
        if (!bits.takeBit(bit))
            return kNoBits;
        value |= static_cast<int32_t>(bit);
        const int32_t count = code.counts[length];
        if (value - first < count)
            return code.symbols[static_cast<size_t>(index + value - first)];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return kNoSymbol;
}

CodedTextStatus symbolFailure(int32_t symbol) {
    return symbol == kNoBits ? CodedTextStatus::kOutOfBits : CodedTextStatus::kInvalidCode;
}

// The literal/length and distance code lengths, sent run-length coded as one list.
CodedTextStatus readCodeLengths(PayloadBits& bits, const CanonicalCode& lengthCode, uint32_t total,
                                uint8_t* lengths) {
    uint32_t index = 0;
    while (index < total) {
        const int32_t symbol = decodeSymbol(bits, lengthCode);
        if (symbol < 0)
            return symbolFailure(symbol);
        if (symbol < 16) {
            lengths[index++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        uint32_t extra = 0;
        uint32_t count = 0;
        bool haveBits = true;
        if (symbol == 16) {
            if (index == 0)
                return CodedTextStatus::kBadLengthRepeat;
            repeated = lengths[index - 1];
            haveBits = bits.take(2, extra);
            count = 3 + extra;
        } else if (symbol == 17) {
            haveBits = bits.take(3, extra);
            count = 3 + extra;
        } else {
            haveBits = bits.take(7, extra);
            count = 11 + extra;
        }
        if (!haveBits)
            return CodedTextStatus::kOutOfBits;
        if (count > total - index)
            return CodedTextStatus::kBadLengthRepeat;
        for (; count > 0; --count)
            lengths[index++] = repeated;
    }
    return CodedTextStatus::kOk;
}

}  // namespace

const char* describeCodedTextStatus(CodedTextStatus status) {
    switch (status) {
        case CodedTextStatus::kOk:
            return "no fault";
        case CodedTextStatus::kOutOfBits:
            return "the record ends before its last code";
        case CodedTextStatus::kTooManySymbols:
            return "it announces more code lengths than the alphabets have";
        case CodedTextStatus::kBadCodeLengthCode:
            return "its code-length code is not a complete code";
        case CodedTextStatus::kBadLengthRepeat:
            return "a repeat of code lengths has nothing to repeat or runs past the lengths";
        case CodedTextStatus::kNoEndOfChunkCode:
            return "it gives the end of a chunk no code";
        case CodedTextStatus::kBadLiteralLengthCode:
            return "its literal/length code is not a complete code";
        case CodedTextStatus::kBadDistanceCode:
            return "its distance code is not a complete code";
        case CodedTextStatus::kInvalidCode:
            return "it holds bits that are no code of its group's table";
        case CodedTextStatus::kDistanceTooFar:
            return "a match reaches before the start of the chunk";
        case CodedTextStatus::kOutputFull:
            return "it decodes to more than a chunk holds";
    }
    return "unknown fault";
}

CodedTextStatus readCodeTable(std::span<const uint8_t> payload, GroupCodeTable& table) {
    PayloadBits bits(payload);
    uint32_t literalLengthCount = 0;
    uint32_t distanceCount = 0;
    uint32_t codeLengthCount = 0;
    if (!bits.take(5, literalLengthCount) || !bits.take(5, distanceCount) ||
        !bits.take(4, codeLengthCount)) {
        return CodedTextStatus::kOutOfBits;
    }
    literalLengthCount += deflate::kFirstLengthSymbol;
    distanceCount += 1;
    codeLengthCount += 4;
    if (literalLengthCount > kLiteralLengthSymbols || distanceCount > kDistanceSymbols)
        return CodedTextStatus::kTooManySymbols;

    std::array<uint8_t, kCodeLengthSymbols> codeLengthLengths{};
    for (uint32_t index = 0; index < codeLengthCount; ++index) {
        uint32_t length = 0;
        if (!bits.take(3, length))
            return CodedTextStatus::kOutOfBits;
        codeLengthLengths[deflate::kCodeLengthOrder[index]] = static_cast<uint8_t>(length);
    }
    CanonicalCode lengthCode;
    if (buildCanonicalCode(codeLengthLengths.data(), kCodeLengthSymbols, lengthCode) !=
        CodeShape::kComplete) {
        return CodedTextStatus::kBadCodeLengthCode;
    }

    std::array<uint8_t, kLiteralLengthSymbols + kDistanceSymbols> lengths{};
    const CodedTextStatus read =
        readCodeLengths(bits, lengthCode, literalLengthCount + distanceCount, lengths.data());
    if (read != CodedTextStatus::kOk)
        return read;
    if (lengths[deflate::kEndOfChunk] == 0)
        return CodedTextStatus::kNoEndOfChunkCode;
    const CodeShape literalShape =
        buildCanonicalCode(lengths.data(), literalLengthCount, table.literalLength);
    if (!usableCode(literalShape, table.literalLength))
        return CodedTextStatus::kBadLiteralLengthCode;
    const CodeShape distanceShape =
        buildCanonicalCode(lengths.data() + literalLengthCount, distanceCount, table.distance);
    if (!usableCode(distanceShape, table.distance))
        return CodedTextStatus::kBadDistanceCode;
    return CodedTextStatus::kOk;
}

CodedTextStatus decodeCodedText(std::span<const uint8_t> payload, const GroupCodeTable& table,
                                std::span<uint8_t> output, uint32_t& length) {
    PayloadBits bits(payload);
    length = 0;
    for (;;) {
        const int32_t symbol = decodeSymbol(bits, table.literalLength);
        if (symbol < 0)
            return symbolFailure(symbol);
        if (symbol < 256) {
            if (length >= output.size())
                return CodedTextStatus::kOutputFull;
            output[length++] = static_cast<uint8_t>(symbol);
            continue;
        }
        if (symbol == static_cast<int32_t>(deflate::kEndOfChunk))
            return CodedTextStatus::kOk;
        const auto lengthCode = static_cast<uint32_t>(symbol) - deflate::kFirstLengthSymbol;
        if (lengthCode >= deflate::kLengthBase.size())
            return CodedTextStatus::kInvalidCode;
        uint32_t extra = 0;
        if (!bits.take(deflate::kLengthExtraBits[lengthCode], extra))
            return CodedTextStatus::kOutOfBits;
        const uint32_t matchLength = deflate::kLengthBase[lengthCode] + extra;

        const int32_t distanceSymbol = decodeSymbol(bits, table.distance);
        if (distanceSymbol < 0)
            return symbolFailure(distanceSymbol);
        const auto distanceCode = static_cast<uint32_t>(distanceSymbol);
        if (!bits.take(deflate::kDistanceExtraBits[distanceCode], extra))
            return CodedTextStatus::kOutOfBits;
        const uint32_t distance = deflate::kDistanceBase[distanceCode] + extra;
        if (distance > length)
            return CodedTextStatus::kDistanceTooFar;
        if (matchLength > output.size() - length)
            return CodedTextStatus::kOutputFull;
        // Byte by byte: a match may overlap the bytes it produces.
        for (uint32_t copied = 0; copied < matchLength; ++copied, ++length)
            output[length] = output[length - distance];
    }
}

}  // namespace skerrit::preview
