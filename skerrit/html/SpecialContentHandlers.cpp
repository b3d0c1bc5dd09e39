// Handlers that write to the outputs themselves: HR draws a rule, XMP copies raw text up to its
// end tag, PLAINTEXT turns the rest of the page into plain text, TITLE takes the title text out
// of the document text.
#include <cctype>
#include <cstring>

#include "html/AttributeValues.h"
#include "html/ElementStack.h"
#include "html/PageInput.h"
#include "html/TagHandlers.h"
#include "html/TagTables.h"
#include "html/TextOutput.h"
#include "html/Tokenizer.h"

namespace skerrit {

namespace {

// HR's own alignment codes, which differ from those of ALIGN elsewhere.
constexpr int32_t kRuleCenter = 0;
constexpr int32_t kRuleRight = 1;
constexpr int32_t kRuleLeft = 2;
constexpr int32_t kDefaultRuleSize = 2;
constexpr int32_t kFullWidth = -100;

BlockRecord ruleFromAttributes(const HtmlReader& reader) {
    BlockRecord rule{0, kBlockRule, kRuleCenter, 0, kDefaultRuleSize, kFullWidth};
    const TagBuffers& tag = reader.tag;
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        const char* value = tag.attributes[i].value;
        switch (lookupAttribute(tag.attributes[i].name)) {
            case kAttrAlign:
                if (compareFolded(value, "CENTER") == 0)
                    rule.alignment = kRuleCenter;
                if (compareFolded(value, "RIGHT") == 0)
                    rule.alignment = kRuleRight;
                if (compareFolded(value, "LEFT") == 0)
                    rule.alignment = kRuleLeft;
                break;
            case kAttrNoshade:
                rule.noShade = 1;
                break;
            case kAttrSize: {
                const int32_t size = decimalNumber(value);
                rule.size = size < 1 ? kDefaultRuleSize : size;
                break;
            }
            case kAttrWidth: {
                const int32_t width = decimalNumber(value);
                if (width < 0) {
                    rule.width = kFullWidth;
                } else if (std::strchr(value, '%') != nullptr) {
                    rule.width = width <= 100 ? -width : kFullWidth;
                } else {
                    rule.width = width;
                }
                break;
            }
            default:
                break;
        }
    }
    return rule;
}

// The raw text of an XMP element, gathered in the run buffer and appended 4096 bytes at a time.
class RawText {
  public:
    explicit RawText(HtmlReader& reader) : reader_(reader) {}

    void gather(int32_t byte) {
        if (byte == 0 || byte == '\r')
            return;
        reader_.format.runBuffer[count_++] = static_cast<uint8_t>(byte);
        if (count_ == kRunBufferSize)
            flush();
    }
    void flush() {
        (void)appendText(reader_, reader_.format.runBuffer.data(), count_);
        count_ = 0;
    }

  private:
    HtmlReader& reader_;
    uint32_t count_ = 0;
};

// The end tag of XMP, compared after turning each byte to upper case.
constexpr char kXmpEnd[] = "</XMP>";
constexpr uint32_t kXmpEndLength = sizeof kXmpEnd - 1;

}  // namespace

// An HR end tag draws a rule too.
void handleRule(HtmlReader& reader, PageParse& page, bool, int32_t) {
    BlockRecord rule = ruleFromAttributes(reader);
    breakLine(reader);
    if (flushPending(reader, page.currentStyle)) {
        rule.position = reader.format.textPos;
        (void)writeBlockRecord(reader, rule);
    }
    forceLineBreak(reader);
}

// Start and end tags alike open the raw block: a stray XMP end tag opens one too.
void handleXmp(HtmlReader& reader, PageParse& page, bool, int32_t kind) {
    pushElement(*reader.format.elements, kind);
    breakParagraph(reader);
    if (!flushPending(reader, page.currentStyle))
        return;

    RawText text(reader);
    uint32_t matched = 0;  // bytes of the end tag matched so far, held back
    for (;;) {
        const int32_t byte = readByte(reader);
        if (byte == kEndOfInput) {
            // Held-back bytes of an unfinished end tag go with it, as any unfinished tag does.
            text.flush();
            return;  // the page ends
        }
        if (std::toupper(byte) == kXmpEnd[matched]) {
            if (++matched == kXmpEndLength)
                break;
            continue;
        }
        // A near miss: the held-back prefix is written as the end tag's own (upper-case) bytes.
        for (uint32_t i = 0; i < matched; ++i)
            text.gather(kXmpEnd[i]);
        matched = 0;
        if (byte == kXmpEnd[0]) {
            matched = 1;
        } else {
            text.gather(byte);
        }
    }
    text.flush();
    removeElement(*reader.format.elements, kind);
    endBlock(reader);
}

// The rest of the page is plain text: all formatting ends, owed line feeds are dropped, and the
// page gets no closing line feed and no page-end record.
void handlePlaintext(HtmlReader& reader, PageParse& page, bool, int32_t) {
    FormattingState& format = reader.format;
    emptyStack(*format.elements);
    (void)writeStyleRun(reader, format.textPos, kDefaultTextStyle);
    format.pendingNewlines = 0;

    uint8_t* run = format.runBuffer.data();
    for (;;) {
        const TextRun text = readPreformattedRun(reader, run, kRunBufferSize);
        (void)appendText(reader, run, text.length);
        if (text.ending == kEndOfInput)
            break;
        if (text.ending == '<') {
            const uint8_t lessThan = '<';
            (void)appendText(reader, &lessThan, 1);
        }
    }
    (void)flushText(reader);
    (void)writeStyleRun(reader, format.textPos, kDefaultTextStyle);
    page.endedByHandler = true;
}

// The text up to the next tag is the title, not document text; the "<" that ends it is pushed
// back so that the next tag is dispatched as usual.
void handleTitle(HtmlReader& reader, PageParse&, bool isEnd, int32_t) {
    if (isEnd)
        return;
    uint32_t spaceState = 1;
    auto* title = reinterpret_cast<uint8_t*>(reader.title.data());
    TextRun text = readTextRun(reader, spaceState, title, kTitleSize - 1);
    reader.title[text.length] = '\0';
    uint8_t discarded[kTitleSize];
    while (text.ending != kEndOfInput && text.ending != '<') {
        text = readTextRun(reader, spaceState, discarded, kTitleSize);
    }
    if (text.ending == '<')
        unreadBytes(reader, 1);
}

}  // namespace skerrit
