// The decoder follows Unicode's table of well-formed UTF-8 byte sequences: no overlong forms, no
// surrogates, nothing above U+10FFFF. A sequence that breaks off costs one "?" for its first byte
// and decoding goes on at the next byte, so a stray byte never swallows the quote or delimiter
// after it.
#include "convert/HandheldText.h"

#include <algorithm>
#include <cstdint>

#include "convert/HandheldCharacterTables.h"

namespace quillon {
namespace {

constexpr char kUnknownCharacter = '?';

// The length of the sequence starting with `lead` and the range of its second byte; length 0 for
// a byte that cannot start one.
struct SequenceStart {
    size_t length;
    uint8_t secondLow;
    uint8_t secondHigh;
};

SequenceStart sequenceStart(uint8_t lead) {
    if (lead < 0x80) {
        return {1, 0, 0};
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

// The character at `index` and its length in bytes; length 0 when no well-formed sequence starts
// there.
size_t decodeCharacter(std::string_view text, size_t index, char32_t& codePoint) {
    const auto byteAt = [&text](size_t at) { return static_cast<uint8_t>(text[at]); };
    const uint8_t lead = byteAt(index);
    const SequenceStart start = sequenceStart(lead);
    if (start.length == 0 || index + start.length > text.size()) {
        return 0;
    }
    if (start.length == 1) {
        codePoint = lead;
        return 1;
    }
    const uint8_t second = byteAt(index + 1);
    if (second < start.secondLow || second > start.secondHigh) {
        return 0;
    }
    codePoint = lead & (0x7F >> start.length);
    for (size_t next = 1; next < start.length; ++next) {
        const uint8_t continuation = byteAt(index + next);
        if ((continuation & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (continuation & 0x3F);
    }
    return start.length;
}

void appendHandheldCharacter(char32_t codePoint, std::string& out) {
    // U+0080..U+009F are control characters; the handheld's bytes of those values are others.
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out.push_back(static_cast<char>(codePoint));
        return;
    }
    const auto code = std::find_if(
        kHandheldCodes.begin(), kHandheldCodes.end(),
        [codePoint](const HandheldCode& entry) { return entry.codePoint == codePoint; });
    if (code != kHandheldCodes.end()) {
        out.push_back(static_cast<char>(code->code));
        return;
    }
    const auto standIn = std::find_if(
        kHandheldStandIns.begin(), kHandheldStandIns.end(),
        [codePoint](const HandheldStandIn& entry) { return entry.codePoint == codePoint; });
    if (standIn != kHandheldStandIns.end()) {
        out += standIn->text;
        return;
    }
    const char32_t latinExtendedA = codePoint - kLatinExtendedAFirst;
    if (codePoint >= kLatinExtendedAFirst && latinExtendedA < kLatinExtendedABaseLetters.size()) {
        out.push_back(kLatinExtendedABaseLetters[latinExtendedA]);
        return;
    }
    out.push_back(kUnknownCharacter);
}

}  // namespace

std::string handheldTextFromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t index = 0; index < utf8.size();) {
        char32_t codePoint = 0;
        const size_t length = decodeCharacter(utf8, index, codePoint);
        if (length == 0) {
            out.push_back(kUnknownCharacter);
            ++index;
            continue;
        }
        appendHandheldCharacter(codePoint, out);
        index += length;
    }
    return out;
}

}  // namespace quillon
