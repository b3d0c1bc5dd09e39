// Data of the tag and attribute tables, and the bisection that searches them.
#include "html/TagTables.h"

#include <cstddef>

namespace skerrit {

const std::array<const char*, kTagCount> kTagNames{
    "A",       "ADDRESS",    "APPLET",   "AREA",    "B",         "BASE",    "BASEFONT", "BIG",
    "BLINK",   "BLOCKQUOTE", "BODY",     "BR",      "CAPTION",   "CENTER",  "CITE",     "CODE",
    "DD",      "DIR",        "DIV",      "DL",      "DT",        "EM",      "EMBED",    "FONT",
    "FORM",    "FRAME",      "FRAMESET", "H1",      "H2",        "H3",      "H4",       "H5",
    "H6",      "HEAD",       "HR",       "HTML",    "I",         "ILAYER",  "IMG",      "INPUT",
    "ISINDEX", "KBD",        "KEYGEN",   "LAYER",   "LI",        "LINK",    "MAP",      "MENU",
    "META",    "MULTICOL",   "NOBR",     "NOEMBED", "NOFRAMES",  "NOLAYER", "NOSCRIPT", "OBJECT",
    "OL",      "OPTION",     "P",        "PARAM",   "PLAINTEXT", "PRE",     "S",        "SCRIPT",
    "SELECT",  "SERVER",     "SMALL",    "SPACER",  "SPAN",      "STRIKE",  "STRONG",   "STYLE",
    "SUB",     "SUP",        "TABLE",    "TD",      "TEXTAREA",  "TH",      "TITLE",    "TR",
    "TT",      "U",          "UL",       "VAR",     "WBR",       "XMP",
};

const std::array<const char*, kAttrCount> kAttrNames{
    "ALIGN",  "ALT",     "BORDER", "CELLPADDING", "CELLSPACING", "COLS",  "COLSPAN", "COORDS",
    "FACE",   "HEIGHT",  "HREF",   "HSPACE",      "HTML",        "NAME",  "NOHREF",  "NOSHADE",
    "NOWRAP", "ROWSPAN", "SHAPE",  "SIZE",        "SRC",         "START", "TYPE",    "USEMAP",
    "VALIGN", "VALUE",   "VSPACE", "WEIGHT",      "WIDTH",       "WRAP",
};

namespace {

[[nodiscard]] uint8_t foldCase(char c) {
    const auto byte = static_cast<uint8_t>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<uint8_t>(byte + ('a' - 'A')) : byte;
}

template <size_t N>
int32_t bisect(const std::array<const char*, N>& names, const char* name) {
    if (name == nullptr || name[0] == '\0')
        return -1;
    int32_t low = 0;
    int32_t high = static_cast<int32_t>(N) - 1;
    while (low <= high) {
        const int32_t middle = (low + high) / 2;
        const int32_t order = compareFolded(name, names[static_cast<size_t>(middle)]);
        if (order == 0)
            return middle;
        if (order < 0) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return -1;
}

}  // namespace

int32_t compareFolded(const char* a, const char* b) {
    for (size_t i = 0;; ++i) {
        const uint8_t left = foldCase(a[i]);
        const uint8_t right = foldCase(b[i]);
        if (left != right)
            return left < right ? -1 : 1;
        if (left == 0)
            return 0;
    }
}

TagLookup lookupTag(const char* name) {
    const bool isEnd = name[0] == '/';
    return TagLookup{bisect(kTagNames, isEnd ? name + 1 : name), isEnd};
}

int32_t lookupAttribute(const char* name) {
    return bisect(kAttrNames, name);
}

}  // namespace skerrit
