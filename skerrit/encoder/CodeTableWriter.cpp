// Code tables of a group and their transmission.
#include "encoder/CodeTableWriter.h"

namespace skerrit {

namespace {

// HCLEN counts at least four code-length code lengths, so the highest index sent is at least 3.
constexpr uint32_t kMinHighestCodeLengthIndex = 3;

}  // namespace

void buildGroupCodes(const GroupFrequencies& frequencies, HuffmanWorkArea& work,
                     GroupCodes& codes) {
    codes.highestLiteralLength = buildHuffmanCode(
        frequencies.literalLength.data(), deflate::kLiteralLengthSymbols, deflate::kMaxCodeLength,
        work, HuffmanCodeView{codes.literalLengths.data(), codes.literalCodes.data()});
    codes.highestDistance = buildHuffmanCode(
        frequencies.distance.data(), deflate::kDistanceSymbols, deflate::kMaxCodeLength, work,
        HuffmanCodeView{codes.distanceLengths.data(), codes.distanceCodes.data()});

    std::array<uint16_t, deflate::kCodeLengthSymbols> codeLengthFrequencies{};
    auto count = [&](CodeLengthSymbol symbol) { ++codeLengthFrequencies[symbol.symbol]; };
    runLengthPass(codes.literalLengths.data(), codes.highestLiteralLength + 1, count);
    runLengthPass(codes.distanceLengths.data(), codes.highestDistance + 1, count);
    buildHuffmanCode(codeLengthFrequencies.data(), deflate::kCodeLengthSymbols,
                     deflate::kMaxCodeLengthBits, work,
                     HuffmanCodeView{codes.codeLengthLengths.data(), codes.codeLengthCodes.data()});

    uint32_t highestIndex = deflate::kCodeLengthSymbols - 1;
    while (highestIndex > kMinHighestCodeLengthIndex &&
           codes.codeLengthLengths[deflate::kCodeLengthOrder[highestIndex]] == 0) {
        --highestIndex;
    }
    codes.codeLengthCount = highestIndex + 1;
}

void writeCodeTable(const GroupCodes& codes, BitWriter& writer) {
    writer.putBits(codes.highestLiteralLength - deflate::kEndOfChunk, 5);
    writer.putBits(codes.highestDistance, 5);
    writer.putBits(codes.codeLengthCount - 4, 4);
    for (uint32_t index = 0; index < codes.codeLengthCount; ++index) {
        writer.putBits(codes.codeLengthLengths[deflate::kCodeLengthOrder[index]], 3);
    }
    auto send = [&](CodeLengthSymbol symbol) {
        writer.putBits(codes.codeLengthCodes[symbol.symbol],
                       codes.codeLengthLengths[symbol.symbol]);
        if (symbol.extraBitCount > 0)
            writer.putBits(symbol.extraValue, symbol.extraBitCount);
    };
    runLengthPass(codes.literalLengths.data(), codes.highestLiteralLength + 1, send);
    runLengthPass(codes.distanceLengths.data(), codes.highestDistance + 1, send);
}

}  // namespace skerrit
