// The tables of HandheldCharacterTables.h. The codes of the first table are the ones the handheld
// reader's own character set gives these characters (Windows-1252's, with the card suits at
// 0x8D..0x90); the Euro sign is not among them and is written "EUR".
#include "convert/HandheldCharacterTables.h"

namespace quillon {

const std::array<HandheldCode, kHandheldCodeCount> kHandheldCodes{{
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0178, 0x9F}, {0x02C6, 0x88},
    {0x02DC, 0x98}, {0x2013, 0x96}, {0x2014, 0x97}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82},
    {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95},
    {0x2026, 0x85}, {0x2030, 0x89}, {0x2039, 0x8B}, {0x203A, 0x9B}, {0x2122, 0x99}, {0x2660, 0x90},
    {0x2663, 0x8E}, {0x2665, 0x8F}, {0x2666, 0x8D},
}};

// Sixteen characters a row, from U+0100.
const std::string_view kLatinExtendedABaseLetters =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "IiIiJjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";

const std::array<HandheldStandIn, kHandheldStandInCount> kHandheldStandIns{{
    {0x0132, "IJ"},  {0x0133, "ij"},  {0x0192, "f"},   {0x0218, "S"},  {0x0219, "s"},
    {0x021A, "T"},   {0x021B, "t"},   {0x2000, " "},   {0x2001, " "},  {0x2002, " "},
    {0x2003, " "},   {0x2004, " "},   {0x2005, " "},   {0x2006, " "},  {0x2007, " "},
    {0x2008, " "},   {0x2009, " "},   {0x200A, " "},   {0x2010, "-"},  {0x2011, "-"},
    {0x2012, "-"},   {0x2015, "-"},   {0x202F, " "},   {0x2043, "-"},  {0x205F, " "},
    {0x20AC, "EUR"}, {0x2212, "-"},   {0x3000, " "},   {0xFB00, "ff"}, {0xFB01, "fi"},
    {0xFB02, "fl"},  {0xFB03, "ffi"}, {0xFB04, "ffl"}, {0xFB05, "st"}, {0xFB06, "st"},
}};

}  // namespace quillon
