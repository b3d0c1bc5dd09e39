// The tag and attribute names the reader recognises, and their lookup. Both tables are sorted so
// that a comparison folding both sides to lower case finds a name by bisection; the index is the
// tag's or attribute's number throughout the reader.
#pragma once

#include <array>
#include <cstdint>

namespace skerrit {

enum TagId : int32_t {
    kTagUnknown = -1,
    kTagA = 0,
    kTagAddress = 1,
    kTagApplet = 2,
    kTagArea = 3,
    kTagB = 4,
    kTagBase = 5,
    kTagBasefont = 6,
    kTagBig = 7,
    kTagBlink = 8,
    kTagBlockquote = 9,
    kTagBody = 10,
    kTagBr = 11,
    kTagCaption = 12,
    kTagCenter = 13,
    kTagCite = 14,
    kTagCode = 15,
    kTagDd = 16,
    kTagDir = 17,
    kTagDiv = 18,
    kTagDl = 19,
    kTagDt = 20,
    kTagEm = 21,
    kTagEmbed = 22,
    kTagFont = 23,
    kTagForm = 24,
    kTagFrame = 25,
    kTagFrameset = 26,
    kTagH1 = 27,
    kTagH2 = 28,
    kTagH3 = 29,
    kTagH4 = 30,
    kTagH5 = 31,
    kTagH6 = 32,
    kTagHead = 33,
    kTagHr = 34,
    kTagHtml = 35,
    kTagI = 36,
    kTagIlayer = 37,
    kTagImg = 38,
    kTagInput = 39,
    kTagIsindex = 40,
    kTagKbd = 41,
    kTagKeygen = 42,
    kTagLayer = 43,
    kTagLi = 44,
    kTagLink = 45,
    kTagMap = 46,
    kTagMenu = 47,
    kTagMeta = 48,
    kTagMulticol = 49,
    kTagNobr = 50,
    kTagNoembed = 51,
    kTagNoframes = 52,
    kTagNolayer = 53,
    kTagNoscript = 54,
    kTagObject = 55,
    kTagOl = 56,
    kTagOption = 57,
    kTagP = 58,
    kTagParam = 59,
    kTagPlaintext = 60,
    kTagPre = 61,
    kTagS = 62,
    kTagScript = 63,
    kTagSelect = 64,
    kTagServer = 65,
    kTagSmall = 66,
    kTagSpacer = 67,
    kTagSpan = 68,
    kTagStrike = 69,
    kTagStrong = 70,
    kTagStyle = 71,
    kTagSub = 72,
    kTagSup = 73,
    kTagTable = 74,
    kTagTd = 75,
    kTagTextarea = 76,
    kTagTh = 77,
    kTagTitle = 78,
    kTagTr = 79,
    kTagTt = 80,
    kTagU = 81,
    kTagUl = 82,
    kTagVar = 83,
    kTagWbr = 84,
    kTagXmp = 85,
};
inline constexpr int32_t kTagCount = 86;

enum AttrId : int32_t {
    kAttrUnknown = -1,
    kAttrAlign = 0,
    kAttrAlt = 1,
    kAttrBorder = 2,
    kAttrCellpadding = 3,
    kAttrCellspacing = 4,
    kAttrCols = 5,
    kAttrColspan = 6,
    kAttrCoords = 7,
    kAttrFace = 8,
    kAttrHeight = 9,
    kAttrHref = 10,
    kAttrHspace = 11,
    kAttrHtml = 12,
    kAttrName = 13,
    kAttrNohref = 14,
    kAttrNoshade = 15,
    kAttrNowrap = 16,
    kAttrRowspan = 17,
    kAttrShape = 18,
    kAttrSize = 19,
    kAttrSrc = 20,
    kAttrStart = 21,
    kAttrType = 22,
    kAttrUsemap = 23,
    kAttrValign = 24,
    kAttrValue = 25,
    kAttrVspace = 26,
    kAttrWeight = 27,
    kAttrWidth = 28,
    kAttrWrap = 29,
};
inline constexpr int32_t kAttrCount = 30;

extern const std::array<const char*, kTagCount> kTagNames;
extern const std::array<const char*, kAttrCount> kAttrNames;

struct TagLookup {
    int32_t id;  // a TagId, kTagUnknown for empty or unrecognised names
    bool isEnd;  // the name began with "/"
};

// A leading "/" marks an end tag; the rest is looked up without regard to case.
[[nodiscard]] TagLookup lookupTag(const char* name);
[[nodiscard]] int32_t lookupAttribute(const char* name);

// Compares byte by byte with both sides folded to lower case; <0, 0 or >0 like strcmp.
[[nodiscard]] int32_t compareFolded(const char* a, const char* b);

}  // namespace skerrit
