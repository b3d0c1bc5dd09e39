// The code tables of one group: literal/length and distance codes built from the group's
// frequencies, and the code-length code that transmits their lengths, run-length coded with the
// repeat symbols 16, 17 and 18. The code table record carries exactly the fields of a dynamic
// block header after its first three bits.
#pragma once

#include <array>
#include <cstdint>

#include "encoder/BitWriter.h"
#include "encoder/DeflateTables.h"
#include "encoder/HuffmanBuilder.h"

namespace skerrit {

struct GroupFrequencies {
    std::array<uint16_t, deflate::kLiteralLengthSymbols> literalLength;
    std::array<uint16_t, deflate::kDistanceSymbols> distance;
};

struct GroupCodes {
    std::array<uint8_t, deflate::kLiteralLengthSymbols> literalLengths;
    std::array<uint16_t, deflate::kLiteralLengthSymbols> literalCodes;
    std::array<uint8_t, deflate::kDistanceSymbols> distanceLengths;
    std::array<uint16_t, deflate::kDistanceSymbols> distanceCodes;
    std::array<uint8_t, deflate::kCodeLengthSymbols> codeLengthLengths;
    std::array<uint16_t, deflate::kCodeLengthSymbols> codeLengthCodes;
    uint32_t highestLiteralLength;  // at least 256: every chunk ends with symbol 256
    uint32_t highestDistance;
    uint32_t codeLengthCount;  // code-length code lengths sent, 4 to 19
};

// Builds the three codes of a group from its frequencies.
void buildGroupCodes(const GroupFrequencies& frequencies, HuffmanWorkArea& work, GroupCodes& codes);

// Sends the code table bits: HLIT, HDIST, HCLEN, the code-length code lengths and both
// run-length coded length lists.
void writeCodeTable(const GroupCodes& codes, BitWriter& writer);

// One symbol of the run-length pass: a code length 0 to 15, or a repeat code with its extra bits.
struct CodeLengthSymbol {
    uint8_t symbol;
    uint8_t extraBitCount;
    uint8_t extraValue;
};

// Runs the run-length pass over one list of code lengths, handing each symbol to `emit`.
template <typename Emit>
void runLengthPass(const uint8_t* lengths, uint32_t count, Emit&& emit) {
    uint32_t index = 0;
    while (index < count) {
        const uint8_t value = lengths[index];
        uint32_t run = 1;
        while (index + run < count && lengths[index + run] == value)
            ++run;
        index += run;
        if (value == 0) {
            while (run >= 3) {
                if (run <= 10) {
                    emit(CodeLengthSymbol{17, 3, static_cast<uint8_t>(run - 3)});
                    run = 0;
                } else {
                    const uint32_t taken = run < 138 ? run : 138;
                    emit(CodeLengthSymbol{18, 7, static_cast<uint8_t>(taken - 11)});
                    run -= taken;
                }
            }
            for (; run > 0; --run)
                emit(CodeLengthSymbol{0, 0, 0});
        } else {
            emit(CodeLengthSymbol{value, 0, 0});
            uint32_t remaining = run - 1;
            while (remaining >= 3) {
                const uint32_t taken = remaining < 6 ? remaining : 6;
                emit(CodeLengthSymbol{16, 2, static_cast<uint8_t>(taken - 3)});
                remaining -= taken;
            }
            for (; remaining > 0; --remaining)
                emit(CodeLengthSymbol{value, 0, 0});
        }
    }
}

}  // namespace skerrit
