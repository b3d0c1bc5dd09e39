// The handheld's character set as data: the Unicode characters it shows under its own codes, and
// the few stand-ins for characters it lacks. HandheldText turns Unicode text into these bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// The handheld shows Latin-1 (0xA0..0xFF) as Latin-1; its codes 0x80..0x9F are the Windows-1252
// punctuation and letters and four card suits, and stand for these characters.
struct HandheldCode {
    char32_t codePoint;
    uint8_t code;
};
inline constexpr size_t kHandheldCodeCount = 27;
extern const std::array<HandheldCode, kHandheldCodeCount> kHandheldCodes;  // by code point

// Latin Extended-A (U+0100..U+017F) as the base letter of each character; the table above comes
// first (Œ, œ, Š, š, Ÿ) and so does the stand-in list (the IJ ligature).
inline constexpr char32_t kLatinExtendedAFirst = 0x100;
extern const std::string_view kLatinExtendedABaseLetters;

// What the handheld lacks, written with what it has: ligatures, letters outside Latin-1, other
// dashes and spaces. A stand-in is never longer than the character's UTF-8 form, so a converted
// text never outgrows the text it came from.
struct HandheldStandIn {
    char32_t codePoint;
    std::string_view text;
};
inline constexpr size_t kHandheldStandInCount = 35;
extern const std::array<HandheldStandIn, kHandheldStandInCount> kHandheldStandIns;  // by code point

}  // namespace quillon
