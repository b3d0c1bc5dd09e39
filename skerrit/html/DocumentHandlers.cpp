// Handlers that speak to the link and page bookkeeping: A (the link's style and the link and
// anchor records), BASE (the base of relative references) and FRAMESET (the frame pages, queued
// at the page's own depth). Link and anchor records are kept only when their streams are
// attached; a reader that only scans a page records nothing.
#include <cstring>

#include "html/AttributeValues.h"
#include "html/ElementStack.h"
#include "html/PageInput.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"
#include "html/Tokenizer.h"
#include "htmldoc/AnchorTable.h"
#include "htmldoc/LinkRecorder.h"
#include "htmldoc/PathRules.h"

namespace skerrit {

static_assert(kPathFieldSize == kPathCapacity, "base and frame names use the path rules' buffers");

namespace {

void copyCut(char* out, const char* text, size_t capacity) {
    size_t length = std::strlen(text);
    if (length > capacity - 1)
        length = capacity - 1;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

[[nodiscard]] bool hasVisibleByte(const char* text) {
    for (; *text != '\0'; ++text) {
        if (!isHtmlSpace(static_cast<uint8_t>(*text)))
            return true;
    }
    return false;
}

[[nodiscard]] bool closeOpenLink(HtmlReader& reader) {
    if (reader.streams.linkStream == nullptr) {
        reader.links.linkStart = kNone;
        return true;
    }
    return closeLink(linkStoreOf(reader), currentPageOf(reader), reader.links.linkStart,
                     reader.links.linkHref.data(), reader.format.textPos) != 0;
}

void startLinksAndAnchors(HtmlReader& reader) {
    LinkState& links = reader.links;
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        const char* value = tag.attributes[i].value;
        switch (lookupAttribute(tag.attributes[i].name)) {
            case kAttrHref:
                // A failure here loses the new link and any anchor of the same tag.
                if (links.linkStart != kNone && !closeOpenLink(reader))
                    return;
                copyCut(links.linkHref.data(), value, kPathFieldSize);
                links.linkStart = reader.format.textPos;
                break;
            case kAttrName:
                if (!hasVisibleByte(value))
                    break;
                if (reader.streams.pageQueueStream != nullptr &&
                    addAnchor(linkStoreOf(reader), reader.format.textPos, value,
                              links.lastAnchorRef) == 0) {
                    return;
                }
                links.lastAnchorPos = reader.format.textPos;
                break;
            default:
                break;
        }
    }
}

}  // namespace

void handleAnchor(HtmlReader& reader, PageParse&, bool isEnd, int32_t kind) {
    // The style part: a link shows from an A with HREF (even an empty one) to the next A tag.
    ElementStack& elements = *reader.format.elements;
    removeElement(elements, kind);
    if (!isEnd && getAttribute(reader, kAttrHref) != nullptr)
        pushElement(elements, kind);

    // The link part. A failed link is only lost; the page goes on.
    if (isEnd) {
        (void)closeOpenLink(reader);
    } else {
        startLinksAndAnchors(reader);
    }
}

// The first absolute HREF becomes the base; relative ones are ignored.
void handleBase(HtmlReader& reader, PageParse&, bool, int32_t) {
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        if (lookupAttribute(tag.attributes[i].name) != kAttrHref)
            continue;
        const char* href = tag.attributes[i].value;
        if (pathKind(href) == kPathRelative)
            continue;
        char base[kPathFieldSize];
        copyCut(base, href, kPathFieldSize);
        char normalised[kPathFieldSize];
        std::memcpy(normalised, base, kPathFieldSize);
        // A base that cannot be normalised is still a better base than the page's directory.
        const char* chosen = normalisePath(normalised) ? normalised : base;
        copyCut(reader.links.baseUrl.data(), chosen, kPathFieldSize);
        return;
    }
}

// The rest of the page only names frames: each FRAME start tag with SRC queues that page at the
// frameset page's own depth (frames are not a step in link depth). Nothing else of the page shows.
void handleFrameset(HtmlReader& reader, PageParse& page, bool, int32_t) {
    for (;;) {
        const int32_t byte = readByte(reader);
        if (byte == kEndOfInput)
            break;
        if (byte != '<')
            continue;
        readTag(reader);
        const TagLookup tag = lookupTag(reader.tag.name.data());
        if (tag.id != kTagFrame || tag.isEnd)
            continue;
        const char* source = getAttribute(reader, kAttrSrc);
        if (source == nullptr || reader.streams.pageQueueStream == nullptr)
            continue;
        char frame[kPathFieldSize];
        if (!joinPath(reader.links.baseUrl.data(), source, frame) || !normalisePath(frame)) {
            continue;
        }
        (void)enqueuePage(linkStoreOf(reader), reader.links.pageDepth, frame);
    }
    (void)flushText(reader);
    page.endedByHandler = true;
}

}  // namespace skerrit
