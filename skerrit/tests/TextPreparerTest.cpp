// Text preparation: each case is the options as typed on the command line, an input and the text
// that must reach the text stream. Every case runs whole through prepareText and again fed one
// byte at a time and in odd pieces, since the break state must carry across pieces; and once
// more counting only, as the text-length check does, which must count what would be written and
// stay within the bound that lets most sources pass without counting.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "encoder/TextLimit.h"
#include "encoder/TextPreparer.h"
#include "engine/ResultCodes.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {
namespace {

struct Case {
    const char* options;
    std::string input;
    std::string expected;
};

// Settings read exactly as the program reads them.
Settings settingsFor(const char* options) {
    std::vector<std::string> words{"Skerrit"};
    std::istringstream split(options);
    for (std::string word; split >> word;)
        words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    return readArguments(static_cast<int>(argv.size()), argv.data(), stdout);
}

ConversionRequest requestFor(const ConverterCallbacks& callbacks, const Settings& settings) {
    return ConversionRequest{&callbacks,
                             "in",
                             "out",
                             "title",
                             settings.removeCR,
                             settings.removeLF,
                             settings.convertCRtoLF,
                             settings.singleBreakSpaces,
                             settings.tabLineBreaks,
                             settings.tabSpaces,
                             settings.maxLinkDepth};
}

std::string prepareWhole(const Case& c) {
    MemoryCallbacks memory;
    memory.addFile("in", c.input);
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request = requestFor(table, settingsFor(c.options));
    FileObject source = table.openFile(table.context, "in", kOpenRead);
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    EXPECT_EQ(prepareText(request, source, output), kResultOk);
    static_cast<void>(table.closeFile(table.context, output));
    static_cast<void>(table.closeFile(table.context, source));
    return toText(memory.file("out"));
}

// The length a preparation without a text stream counts; nothing is written anywhere.
uint64_t measureWhole(const Case& c) {
    MemoryCallbacks memory;
    memory.addFile("in", c.input);
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request = requestFor(table, settingsFor(c.options));
    FileObject source = table.openFile(table.context, "in", kOpenRead);
    uint64_t length = 0;
    EXPECT_EQ(prepareText(request, source, nullptr, &length), kResultOk);
    EXPECT_EQ(memory.counts().write, 0);
    static_cast<void>(table.closeFile(table.context, source));
    return length;
}

uint64_t boundFor(const Case& c) {
    MemoryCallbacks memory;
    return preparedTextBound(requestFor(memory.table(), settingsFor(c.options)),
                             SourceKind::kPlainText, c.input.size());
}

std::string feedInPieces(const Case& c, std::size_t pieceSize) {
    MemoryCallbacks memory;
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request = requestFor(table, settingsFor(c.options));
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    TextPreparer preparer = makeTextPreparer(request, output);
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.input.data());
    for (std::size_t at = 0; at < c.input.size(); at += pieceSize) {
        const std::size_t count = std::min(pieceSize, c.input.size() - at);
        EXPECT_TRUE(feedText(preparer, bytes + at, static_cast<uint32_t>(count)));
    }
    static_cast<void>(table.closeFile(table.context, output));
    return toText(memory.file("out"));
}

std::string withZero(const char* before, const char* after) {
    return std::string(before) + std::string(1, '\0') + after;
}

TEST(TextPreparerTest, OptionsApplyToEveryPieceSize) {
    const Case cases[] = {
        {"", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"", withZero("a", "b"), "ab"},  // zero bytes disappear
        {"", "a\tb", "a\tb"},
        {"-c", "a\r\nb\r\n", "a\n\nb\n\n"},  // every line end doubled
        {"-rCR", "a\r\nb\r\n", "a\nb\n"},
        {"-rLF", "a\r\nb\r\n", "a\rb\r"},
        {"-rCR -rLF", "a\r\nb\r\n", "ab"},
        {"-rCR -c", "a\r\nb", "a\nb"},  // removal comes first
        {"-tLB0", "a\tb\t", "ab"},
        {"-tS0", "a\tb", "ab"},
        {"-tLB3", "a\tb", "a\n\n\nb"},
        {"-tS", "a\tb", "a        b"},
        {"-tS-1", "a\tb", "a\tb"},
        {"-sLB1", "one\ntwo\n\nthree", "one two\n\nthree"},
        {"-sLB1", "a\r\nb\rc", "a b c"},
        {"-sLB1 -c", "a\r\nb\r\nc", "a\n\nb\n\nc"},  // the pair counts as two breaks
        {"-sLB0", "one\ntwo\nthree", "onetwothree"},
        {"-sLB3", "x\ny", "x   y"},
        {"-sLB1", "end\n", "end"},  // a single break still pending at the end is dropped
        {"-sLB1", "end\n\n", "end\n\n"},
        {"-sLB1", "\nstart", " start"},
        {"-sLB1", "a\r\r\nb", "a\r\r\nb"},
        {"-sLB1", "a\n\rb", "a\n\rb"},
        {"-sLB1", "a\r\n\r\nb", "a\r\n\r\nb"},
        {"-sLB1", "a\n\n\n\nb\nc", "a\n\n\n\nb c"},
        {"-sLB1", "a\r\r\rb", "a\r\r\rb"},
        {"-sLB1 -c", "a\r\rb", "a\n\nb"},
        {"-sLB1 -c", "a\r\r\rb", "a\n\n\nb"},  // the third break is converted too
        {"-sLB1 -rCR", "a\r\nb\r\n\r\nc", "a b\n\nc"},
        {"-sLB1 -rLF", "a\r\nb\r\n\r\nc", "a b\r\rc"},
        // With -sLB, tabs follow the tab option and zero bytes still disappear.
        {"-sLB1 -tS2", "a\tb\nc", "a  b c"},
        {"-sLB1 -tLB1", "a\n\tb", "a \nb"},
        {"-sLB1", withZero("a\n", "b"), "a b"},
        {"-sLB1", "a\tb", "a\tb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("options \"") + c.options + "\"");
        EXPECT_EQ(prepareWhole(c), c.expected);
        for (std::size_t pieceSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
            EXPECT_EQ(feedInPieces(c, pieceSize), c.expected) << "pieces of " << pieceSize;
        }
        EXPECT_EQ(measureWhole(c), c.expected.size());
        EXPECT_LE(c.expected.size(), boundFor(c));
    }
}

// The most one source byte can become: a tab or a single line break at its largest count.
TEST(TextPreparerTest, GrowthBoundIsTheLargestCount) {
    const Case cases[] = {
        {"", "\t\n", std::string(2, 'x')},
        {"-tS", "\t", std::string(8, ' ')},
        {"-tLB9999", "\t", std::string(9999, '\n')},
        {"-sLB9999", "a\nb", "a" + std::string(9999, ' ') + "b"},
        {"-sLB9999 -tS9999", "\t\t\t\n", std::string(4 * 9999, ' ')},
        {"-rCR -rLF -c", "\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(measureWhole(c), prepareWhole(c).size());
        EXPECT_LE(measureWhole(c), boundFor(c));
    }
    MemoryCallbacks memory;
    EXPECT_EQ(preparedGrowthPerByte(requestFor(memory.table(), settingsFor("-sLB3 -tS12"))), 12u);
    EXPECT_EQ(preparedTextBound(requestFor(memory.table(), settingsFor("-tLB2")),
                                SourceKind::kDocBook, 100),
              1000u);  // a PalmDOC pair of bytes decodes to ten at most
}

// The source is read in 4096-byte pieces: a break split between two reads is still one break,
// and a run of breaks split the same way is still copied whole.
TEST(TextPreparerTest, BreakSplitAcrossTwoReads) {
    const std::string firstRead(kTextPieceSize - 1, 'a');
    const Case cases[] = {
        {"-sLB1", firstRead + "\r\nb", firstRead + " b"},
        {"-sLB1", firstRead + "\n\nb", firstRead + "\n\nb"},
        {"-sLB1 -c", firstRead + "\r\nb", firstRead + "\n\nb"},
        {"-sLB2", firstRead + "b\nc", firstRead + "b  c"},
        {"-c", firstRead + "\r\nb", firstRead + "\n\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        EXPECT_EQ(prepareWhole(c), c.expected);
    }
}

TEST(TextPreparerTest, ProgressAfterEveryReadAndStopAnswer) {
    MemoryCallbacks memory;
    memory.addFile("in", std::string(10000, 'x'));
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request = requestFor(table, settingsFor(""));
    FileObject source = table.openFile(table.context, "in", kOpenRead);
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    ASSERT_EQ(prepareText(request, source, output), kResultOk);
    const std::vector<ProgressEvent> expected{{7, "", 40}, {7, "", 81}, {7, "", 100}};
    EXPECT_EQ(memory.progressEvents(), expected);

    memory.faults.stopProgressAt = memory.counts().progress + 2;
    ASSERT_EQ(table.seekFile(table.context, source, 0, kSeekFromStart), 0u);
    EXPECT_EQ(prepareText(request, source, output), kResultCanceled);
    static_cast<void>(table.closeFile(table.context, output));
    static_cast<void>(table.closeFile(table.context, source));
}

TEST(TextPreparerTest, ShortWriteFailsTheFeed) {
    MemoryCallbacks memory;
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request = requestFor(table, settingsFor("-tS3"));
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    TextPreparer preparer = makeTextPreparer(request, output);
    memory.faults.failWriteAt = 2;  // the spaces written for the tab
    const std::string input = "ab\tcd";
    EXPECT_FALSE(feedText(preparer, reinterpret_cast<const uint8_t*>(input.data()),
                          static_cast<uint32_t>(input.size())));
    static_cast<void>(table.closeFile(table.context, output));
}

}  // namespace
}  // namespace skerrit::testing
