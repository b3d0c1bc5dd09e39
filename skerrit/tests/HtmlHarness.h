// Test harness of the HTML reader: puts one page into in-memory callbacks, sets a reader up on it
// and shows what came out in a compact notation, so that a case is one row of a table.
//   tokens:  text as it was delivered, tags as <NAME a="v" b="">, a skipped comment as <!-->
//   text:    the text stream, with bytes outside printable ASCII as \xNN and line feeds as |
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "html/ElementStack.h"
#include "html/HtmlReader.h"
#include "html/PageInput.h"
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
    }
    ~PageFixture() {
        destroyHtmlReader(reader_);
        EXPECT_EQ(callbacks.liveAllocations(), 0);
        EXPECT_EQ(callbacks.misuseCount(), 0);
        for (FileObject file : {pageFile_, textStream_, styleStream_, blockStream_}) {
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

    std::string fileText(const std::string& name) const { return toText(callbacks.file(name)); }

    MemoryCallbacks callbacks;

  private:
    FileObject open(const char* name) {
        return callbacks.table().openFile(callbacks.table().context, name, kOpenCreate);
    }

    FileObject pageFile_ = nullptr;
    FileObject textStream_ = nullptr;
    FileObject styleStream_ = nullptr;
    FileObject blockStream_ = nullptr;
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

}  // namespace skerrit::testing
