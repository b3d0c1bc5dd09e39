// Data of the character tables. Latin-1 entities carry their Latin-1 code points, typographic
// ones their Windows-1252 codes, and the card suits 141 to 144, where the handheld's font keeps
// them.
#include "html/EntityTables.h"

namespace skerrit {

const std::array<EntityEntry, kEntityCount> EntityTable{{
    {"AElig", 198},  {"Aacute", 193}, {"Acirc", 194},  {"Agrave", 192}, {"Aring", 197},
    {"Atilde", 195}, {"Auml", 196},   {"Ccedil", 199}, {"Dagger", 135}, {"ETH", 208},
    {"Eacute", 201}, {"Ecirc", 202},  {"Egrave", 200}, {"Euml", 203},   {"Iacute", 205},
    {"Icirc", 206},  {"Igrave", 204}, {"Iuml", 207},   {"Ntilde", 209}, {"OElig", 140},
    {"Oacute", 211}, {"Ocirc", 212},  {"Ograve", 210}, {"Oslash", 216}, {"Otilde", 213},
    {"Ouml", 214},   {"Scaron", 138}, {"THORN", 222},  {"Uacute", 218}, {"Ucirc", 219},
    {"Ugrave", 217}, {"Uuml", 220},   {"Yacute", 221}, {"Yuml", 159},   {"aacute", 225},
    {"acirc", 226},  {"acute", 180},  {"aelig", 230},  {"agrave", 224}, {"amp", 38},
    {"aring", 229},  {"atilde", 227}, {"auml", 228},   {"bdquo", 132},  {"brvbar", 166},
    {"bull", 149},   {"ccedil", 231}, {"cedil", 184},  {"cent", 162},   {"circ", 136},
    {"clubs", 142},  {"copy", 169},   {"curren", 164}, {"dagger", 134}, {"deg", 176},
    {"diams", 141},  {"divide", 247}, {"eacute", 233}, {"ecirc", 234},  {"egrave", 232},
    {"eth", 240},    {"euml", 235},   {"frac12", 189}, {"frac14", 188}, {"frac34", 190},
    {"gt", 62},      {"hearts", 143}, {"hellip", 133}, {"iacute", 237}, {"icirc", 238},
    {"iexcl", 161},  {"igrave", 236}, {"iquest", 191}, {"iuml", 239},   {"laquo", 171},
    {"ldquo", 147},  {"lsaquo", 139}, {"lsquo", 145},  {"lt", 60},      {"macr", 175},
    {"mdash", 151},  {"micro", 181},  {"middot", 183}, {"nbsp", 160},   {"ndash", 150},
    {"not", 172},    {"ntilde", 241}, {"oacute", 243}, {"ocirc", 244},  {"oelig", 156},
    {"ograve", 242}, {"ordf", 170},   {"ordm", 186},   {"oslash", 248}, {"otilde", 245},
    {"ouml", 246},   {"para", 182},   {"permil", 137}, {"plusmn", 177}, {"pound", 163},
    {"quot", 34},    {"raquo", 187},  {"rdquo", 148},  {"reg", 174},    {"rsaquo", 155},
    {"rsquo", 146},  {"sbquo", 130},  {"scaron", 154}, {"sect", 167},   {"shy", 173},
    {"spades", 144}, {"sup1", 185},   {"sup2", 178},   {"sup3", 179},   {"szlig", 223},
    {"thorn", 254},  {"tilde", 152},  {"times", 215},  {"trade", 153},  {"uacute", 250},
    {"ucirc", 251},  {"ugrave", 249}, {"uml", 168},    {"uuml", 252},   {"yacute", 253},
    {"yen", 165},    {"yuml", 255},
}};

const std::array<UnicodeMapEntry, kUnicodeMapCount> UnicodeMapTable{{
    {338, 140},  {339, 156},  {352, 138},  {353, 154},  {376, 159},  {710, 136},  {732, 152},
    {8211, 150}, {8212, 151}, {8216, 145}, {8217, 146}, {8218, 130}, {8220, 147}, {8221, 148},
    {8222, 132}, {8224, 134}, {8225, 135}, {8226, 149}, {8230, 133}, {8240, 137}, {8249, 139},
    {8250, 155}, {8482, 153}, {9824, 144}, {9827, 142}, {9829, 143}, {9830, 141},
}};

int32_t mapUnicode(uint32_t codePoint) {
    uint32_t low = 0;
    uint32_t high = kUnicodeMapCount;
    while (low < high) {
        const uint32_t middle = (low + high) / 2;
        const UnicodeMapEntry& entry = UnicodeMapTable[middle];
        if (entry.codePoint == codePoint)
            return entry.code;
        if (entry.codePoint < codePoint) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return -1;
}

}  // namespace skerrit
