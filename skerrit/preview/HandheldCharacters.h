// The handheld's 8-bit character set as Unicode: Latin-1 for the bytes below 128 and from 160 up,
// the codes of the HTML reader's UnicodeMapTable from 128 to 159 (the typographic quotes and
// dashes, and the four card suits at 141 to 144), Windows-1252 for the other bytes there it
// defines. Control bytes other than tab and line feed become their Unicode control pictures
// (a carriage return shows as U+240D), so each byte stays one visible character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skerrit::preview {

// The code point a byte of the handheld's text stands for.
char32_t handheldCodePoint(uint8_t byte);

// Appends the byte's character in UTF-8.
void appendHandheldCharacter(uint8_t byte, std::string& utf8);

// The whole text in UTF-8.
std::string handheldTextToUtf8(std::string_view text);

}  // namespace skerrit::preview
