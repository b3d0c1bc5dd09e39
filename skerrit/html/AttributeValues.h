// Reading the attributes of the current tag: by attribute number, and the value rules the tag
// handlers share (alignment, list style, font size, decimal numbers).
#pragma once

#include <cstdint>

#include "html/HtmlReader.h"

namespace skerrit {

// The value of the current tag's first attribute whose name looks up to `attrId`, or null. An
// attribute written without a value gives "", which is not null.
[[nodiscard]] const char* getAttribute(const HtmlReader& reader, int32_t attrId);

// ALIGN as LEFT 0, CENTER 1, RIGHT 2 (any case); -1 when missing or anything else.
[[nodiscard]] int32_t alignmentValue(const HtmlReader& reader);

// A list TYPE: one byte "1" 7, "A" 3, "a" 4, "I" 5, "i" 6 (case matters); longer texts DISC 0,
// CIRCLE 1, SQUARE 2 (any case); -1 otherwise.
[[nodiscard]] int32_t listStyleValue(const char* text);

// Optional leading whitespace, optional sign, digits up to the first non-digit; no digits give 0.
// Numbers beyond the 32-bit range saturate.
[[nodiscard]] int32_t decimalNumber(const char* text);

struct SizeValue {
    int32_t relative;  // 1 when written with "+" or "-"
    int32_t value;     // 0 with relative 0 means no size
};
// BASEFONT and FONT SIZE: "+n" and "-n" are relative, a plain number absolute.
[[nodiscard]] SizeValue sizeValue(const char* text);

}  // namespace skerrit
