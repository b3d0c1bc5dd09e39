// Recording the links of the page being parsed. A link is an A element with an HREF; it covers
// the text from where the element began to where it was closed and names a target page and,
// optionally, a fragment (an anchor on that page). Links are appended to the link stream as
// unresolved LinkRecords; the resolution operations give them their targets after the page.
#pragma once

#include <cstdint>

#include "htmldoc/PageQueue.h"

namespace skerrit {

// Links on pages deeper than this are not recorded: the link record keeps the depth in one byte.
inline constexpr uint16_t kMaxLinkPageDepth = 255;

// The page whose links are being recorded, as the reader knows it.
struct CurrentPage {
    const char* pageName;  // exactly as opened
    const char* baseUrl;   // base for relative references (directory of the name, or BASE)
    uint16_t pageDepth;
};

// Appends a LinkRecord covering [start, end) to targetName#fragment; either may be null or empty
// for none. Fails (0) when the page is deeper than kMaxLinkPageDepth or a stream fails.
[[nodiscard]] int32_t addLink(const LinkStore& store, uint16_t pageDepth, uint32_t start,
                              uint32_t end, const char* targetName, const char* fragment);

// Ends the open link (linkStart not kNoneValue) at textPos: an HREF beginning with "#" targets the
// page itself; any other is joined with the base, normalised and split at its first "#". Sets
// linkStart to none. A reference that cannot be joined is dropped and still answers 1; one that
// cannot be normalised or split answers 0 (the link is lost either way).
[[nodiscard]] int32_t closeLink(const LinkStore& store, const CurrentPage& page,
                                uint32_t& linkStart, const char* linkHref, uint32_t textPos);

}  // namespace skerrit
