// Test harness of the HTML reader: puts one page into in-memory callbacks, sets a reader up on it
// and shows what came out in a compact notation, so that a case is one row of a table.
//   tokens:  text as it was delivered, tags as <NAME a="v" b="">, a skipped comment as <!-->
//   text:    the text stream, with bytes outside printable ASCII as \xNN and line feeds as |
//   styles:  one "position:fields" per style run, fields that differ from the default style as
//            c/r (alignment) h (heading) s5 (font size) m (monospace) b u (underline) L (link)
//            i x (strike) sub sup in2 (indent) item (item start) ls7 (list style) #4 (number);
//            "-" for the default style
//   blocks:  R@position/alignment/noShade/size/width for rules, E@position for page ends
//   links:   start-end>target#fragment per link record; anchors: name@position
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ByteOrder.h"
#include "html/ElementStack.h"
#include "html/HtmlReader.h"
#include "html/PageInput.h"
#include "html/PageParser.h"
#include "html/Tokenizer.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {

inline std::string showBytes(std::string_view bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte == '\n') {
            shown += '|';
        } else if (byte >= 32 && byte < 127) {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
    }
    return shown;
}

inline std::string showTag(const HtmlReader& reader) {
    const TagBuffers& tag = reader.tag;
    if (std::string_view(tag.name.data()) == "!--" && tag.attributeCount == 0)
        return "<!-->";
    std::string shown = "<" + std::string(tag.name.data());
    for (uint32_t i = 0; i < tag.attributeCount; ++i) {
        shown += " " + std::string(tag.attributes[i].name) + "=\"" + tag.attributes[i].value + "\"";
    }
    return shown + ">";
}

inline std::string showStyle(const TextStyle& style) {
    std::string shown;
    auto add = [&shown](const std::string& field) {
        if (!shown.empty())
            shown += ',';
        shown += field;
    };
    if (style.alignment == 1)
        add("c");
    if (style.alignment == 2)
        add("r");
    if (style.alignment != 0 && style.alignment != 1 && style.alignment != 2) {
        add("a" + std::to_string(style.alignment));
    }
    if (style.heading != 0)
        add("h");
    if (style.fontSize != 3)
        add("s" + std::to_string(style.fontSize));
    if (style.monospace != 0)
        add("m");
    if (style.bold != 0)
        add("b");
    if (style.underline == 1)
        add("u");
    if (style.underline == 2)
        add("L");
    if (style.italic != 0)
        add("i");
    if (style.strikeThrough != 0)
        add("x");
    if (style.subscript != 0)
        add("sub");
    if (style.superscript != 0)
        add("sup");
    if (style.indent != 0)
        add("in" + std::to_string(style.indent));
    if (style.itemStart != 0)
        add("item");
    if (style.listStyle != 0)
        add("ls" + std::to_string(style.listStyle));
    if (style.itemNumber != 0)
        add("#" + std::to_string(style.itemNumber));
    return shown.empty() ? "-" : shown;
}

// Reads the style-run stream back field by field (little-endian, 60 bytes a run).
inline std::string showStyleRuns(const Bytes& bytes) {
    std::string shown;
    if (bytes.size() % kStyleRunBytes != 0)
        return "torn stream of " + std::to_string(bytes.size());
    for (size_t offset = 0; offset < bytes.size(); offset += kStyleRunBytes) {
        const uint8_t* run = bytes.data() + offset;
        auto field = [run](size_t at) {
            return static_cast<int32_t>(loadLittleEndian32(run + at));
        };
        const TextStyle style{field(4),  field(8),
                              field(12), field(16),
                              field(20), field(24),
                              field(28), field(32),
                              field(36), field(40),
                              field(44), field(48),
                              field(52), loadLittleEndian16(run + 56)};
        if (loadLittleEndian16(run + 58) != 0)
            return "reserved field not zero";
        if (!shown.empty())
            shown += ' ';
        shown += std::to_string(loadLittleEndian32(run)) + ":" + showStyle(style);
    }
    return shown;
}

inline std::string showBlocks(const Bytes& bytes) {
    std::string shown;
    if (bytes.size() % kBlockRecordBytes != 0)
        return "torn stream";
    for (size_t offset = 0; offset < bytes.size(); offset += kBlockRecordBytes) {
        const uint8_t* block = bytes.data() + offset;
        auto field = [block](size_t at) {
            return std::to_string(static_cast<int32_t>(loadLittleEndian32(block + at)));
        };
        if (!shown.empty())
            shown += ' ';
        const std::string kind = field(4);
        const std::string at = std::to_string(loadLittleEndian32(block));
        if (kind == "2" && field(8) == "0" && field(12) == "0" && field(16) == "0" &&
            field(20) == "0") {
            shown += "E@" + at;
        } else if (kind == "1") {
            shown +=
                "R@" + at + "/" + field(8) + "/" + field(12) + "/" + field(16) + "/" + field(20);
        } else {
            shown += "?" + kind + "@" + at;
        }
    }
    return shown;
}

inline std::string showLinks(const Bytes& bytes) {
    std::string shown;
    size_t offset = 0;
    while (offset + 32 <= bytes.size()) {
        const uint8_t* link = bytes.data() + offset;
        const size_t targetLength = loadLittleEndian16(link + 28);
        const size_t fragmentLength = loadLittleEndian16(link + 30);
        if (offset + 32 + targetLength + fragmentLength > bytes.size())
            return "torn stream";
        const auto* names = reinterpret_cast<const char*>(link + 32);
        if (!shown.empty())
            shown += ' ';
        shown += std::to_string(loadLittleEndian32(link + 4)) + "-" +
                 std::to_string(loadLittleEndian32(link + 8)) + ">" +
                 std::string(names, targetLength);
        if (fragmentLength > 0)
            shown += "#" + std::string(names + targetLength, fragmentLength);
        offset += 32 + targetLength + fragmentLength;
    }
    return offset == bytes.size() ? shown : "torn stream";
}

inline std::string showAnchors(const Bytes& bytes) {
    std::string shown;
    size_t offset = 0;
    while (offset + 12 <= bytes.size()) {
        const uint8_t* anchor = bytes.data() + offset;
        const size_t length = loadLittleEndian16(anchor + 8);
        if (!shown.empty())
            shown += ' ';
        shown += std::string(reinterpret_cast<const char*>(anchor + 12), length) + "@" +
                 std::to_string(loadLittleEndian32(anchor));
        offset += 12 + length;
    }
    return offset == bytes.size() ? shown : "torn stream";
}

// One page in memory with a reader set up on it. With outputs, the text, style-run and block
// streams are attached as the files "text", "styles" and "blocks".
class PageFixture {
  public:
    explicit PageFixture(std::string_view page, bool withOutputs = false) {
        callbacks.addFile("page.htm", page);
        if (withOutputs) {
            textStream_ = open("text");
            styleStream_ = open("styles");
            blockStream_ = open("blocks");
            queueStream_ = open("queue");
            linkStream_ = open("links");
        }
        pageFile_ = callbacks.table().openFile(callbacks.table().context, "page.htm", kOpenRead);
        reader_ = createHtmlReader(callbacks.table());
        if (reader_ == nullptr || !beginPage(*reader_, pageFile_, 0)) {
            ADD_FAILURE() << "page set-up failed";
            return;
        }
        reader_->streams.textStream = textStream_;
        reader_->streams.styleRunStream = styleStream_;
        reader_->streams.blockStream = blockStream_;
        reader_->streams.pageQueueStream = queueStream_;
        reader_->streams.linkStream = linkStream_;
        setPageName("C:\\site\\page.htm", "C:\\site\\");
    }

    void setPageName(const std::string& name, const std::string& base) {
        std::snprintf(reader_->links.pageName.data(), kPathFieldSize, "%s", name.c_str());
        std::snprintf(reader_->links.baseUrl.data(), kPathFieldSize, "%s", base.c_str());
    }
    ~PageFixture() {
        destroyHtmlReader(reader_);
        EXPECT_EQ(callbacks.liveAllocations(), 0);
        EXPECT_EQ(callbacks.misuseCount(), 0);
        for (FileObject file :
             {pageFile_, textStream_, styleStream_, blockStream_, queueStream_, linkStream_}) {
            if (file != nullptr)
                callbacks.table().closeFile(callbacks.table().context, file);
        }
    }
    PageFixture(const PageFixture&) = delete;
    PageFixture& operator=(const PageFixture&) = delete;

    HtmlReader& reader() { return *reader_; }
    ElementStack& elements() { return *reader_->format.elements; }

    // Text runs and tags up to the end of the page, in the tokens notation.
    std::string tokens(bool preformatted = false) {
        std::string shown;
        HtmlReader& reader = *reader_;
        for (;;) {
            uint8_t* run = reader.format.runBuffer.data();
            const TextRun result =
                preformatted ? readPreformattedRun(reader, run, kRunBufferSize)
                             : readTextRun(reader, reader.format.lastWasSpace, run, kRunBufferSize);
            shown += showBytes(std::string_view(reinterpret_cast<const char*>(run), result.length));
            if (result.ending == kEndOfInput)
                return shown;
            if (result.ending == '<') {
                readTag(reader);
                shown += showTag(reader);
            }
        }
    }

    // What the page wrote so far (buffered text not yet flushed is not included).
    std::string text() const { return showBytes(toText(callbacks.file("text"))); }
    std::string styles() const { return showStyleRuns(callbacks.file("styles")); }
    std::string blocks() const { return showBlocks(callbacks.file("blocks")); }
    std::string links() const { return showLinks(callbacks.file("links")); }
    // The queue stream as anchor records only (pages that queue no frames).
    std::string anchors() const { return showAnchors(callbacks.file("queue")); }

    MemoryCallbacks callbacks;

  private:
    FileObject open(const char* name) {
        return callbacks.table().openFile(callbacks.table().context, name, kOpenCreate);
    }

    FileObject pageFile_ = nullptr;
    FileObject textStream_ = nullptr;
    FileObject styleStream_ = nullptr;
    FileObject blockStream_ = nullptr;
    FileObject queueStream_ = nullptr;
    FileObject linkStream_ = nullptr;
    HtmlReader* reader_ = nullptr;
};

// The same page moved so that its byte at `indexAtRefill` is the first byte of the second buffer:
// a leading comment of the right length shifts it, and shows as one <!--> token.
inline std::string placedAcrossRefill(std::string_view page, size_t indexAtRefill) {
    const std::string opener = "<!-- ";
    const std::string closer = "-->";
    const size_t filler = kPageBufferSize - indexAtRefill - opener.size() - closer.size();
    return opener + std::string(filler, 'x') + closer + std::string(page);
}

// A page and what parsing it must write: text, style runs and block records in the notations
// above. Each case is parsed whole and again moved across the refill at every byte; a leading
// comment changes no output, so the expectations are the same.
struct PageCase {
    std::string html;
    std::string text;
    std::string styles;
    std::string blocks;
};

inline void expectParsed(const std::vector<PageCase>& cases) {
    for (const PageCase& c : cases) {
        std::vector<std::string> pages{c.html};
        for (size_t at = 0; at <= c.html.size() && at + 8 <= kPageBufferSize; ++at) {
            pages.push_back(placedAcrossRefill(c.html, at));
        }
        for (size_t i = 0; i < pages.size(); ++i) {
            PageFixture page(pages[i], true);
            EXPECT_EQ(parsePage(page.reader()), 1);
            const std::string where =
                "page: " + showBytes(c.html) +
                (i == 0 ? "" : " moved, byte " + std::to_string(i - 1) + " starting a buffer");
            EXPECT_EQ(page.text(), c.text) << where;
            EXPECT_EQ(page.styles(), c.styles) << where;
            EXPECT_EQ(page.blocks(), c.blocks) << where;
            // One report per case is enough.
            if (page.text() != c.text || page.styles() != c.styles || page.blocks() != c.blocks) {
                break;
            }
        }
    }
}

}  // namespace skerrit::testing
