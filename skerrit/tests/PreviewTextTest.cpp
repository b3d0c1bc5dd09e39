// Text round trips through both programs: for every text and Doc fixture, with the options that
// change the text, `skerrit-preview --text` of Skerrit's database gives back exactly the text that
// Skerrit's own text preparation makes of the source. Doc books are also read directly, with
// either compression.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "encoder/DocReader.h"
#include "encoder/TextPreparer.h"
#include "engine/ResultCodes.h"
#include "support/EnglishLikeText.h"
#include "support/MemoryCallbacks.h"
#include "support/ProcessRunner.h"

namespace skerrit::testing {
namespace {

struct TextOptions {
    std::vector<std::string> arguments;
    int32_t removeCR = 0;
    int32_t removeLF = 0;
    int32_t convertCRtoLF = 0;
    int32_t singleBreakSpaces = kNotSet;
    int32_t tabLineBreaks = kNotSet;
    int32_t tabSpaces = kNotSet;
};

// What Skerrit's preparation makes of the source, run in memory.
std::string prepared(const std::string& source, const TextOptions& options, bool doc) {
    MemoryCallbacks memory;
    memory.addFile("source", source);
    const ConverterCallbacks& table = memory.table();
    const ConversionRequest request{&table,
                                    "source",
                                    "out",
                                    "t",
                                    options.removeCR,
                                    options.removeLF,
                                    options.convertCRtoLF,
                                    options.singleBreakSpaces,
                                    options.tabLineBreaks,
                                    options.tabSpaces,
                                    kNotSet};
    FileObject input = table.openFile(table.context, "source", kOpenRead);
    FileObject output = table.openFile(table.context, "out", kOpenCreate);
    const int32_t result =
        doc ? prepareDoc(request, input, output) : prepareText(request, input, output);
    EXPECT_EQ(result, kResultOk);
    static_cast<void>(table.closeFile(table.context, output));
    static_cast<void>(table.closeFile(table.context, input));
    return toText(memory.file("out"));
}

// Converts the source with Skerrit and answers what the preview reads back as its text.
std::string throughBothPrograms(const ScratchDirectory& directory, const std::string& source,
                                const std::vector<std::string>& options) {
    writeWholeFile(directory.file("source.txt"), source);
    std::vector<std::string> arguments{"-y"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"source.txt", "book.pdb"});
    const ProcessResult conversion = runProgram(SKERRIT_BINARY, arguments, "", directory.path());
    EXPECT_EQ(conversion.exitStatus, 0) << conversion.output;
    const ProcessResult text =
        runProgram(SKERRIT_PREVIEW_BINARY, {"--text", "book.pdb"}, "", directory.path());
    EXPECT_EQ(text.exitStatus, 0) << text.output;
    return text.output;
}

std::string randomText(size_t size, uint32_t seed) {
    std::string text(size, ' ');
    for (char& c : text) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    text[0] = 'x';  // not taken for a page: no "<" to start with
    return text;
}

TEST(PreviewText, TextFixturesComeBackAsSkerritPreparedThem) {
    const std::string harbour = readWholeFile(SKERRIT_TEST_DATA_DIR "/harbour-light.txt");
    static constexpr char kLineEnds[] = "one\r\ntwo\r\n\r\nthree\tcolumn\tend\r\nzero\0byte\rlast";
    const std::string lineEnds(kLineEnds, sizeof kLineEnds - 1);
    struct Case {
        const char* what;
        std::string source;
        TextOptions options;
    };
    const Case cases[] = {
        {"harbour light", harbour, {}},
        {"harbour light reflowed", harbour, {{"-sLB"}, 0, 0, 0, 1}},
        {"line ends, as they are", lineEnds, {}},
        {"line ends, CR to LF", lineEnds, {{"-c"}, 0, 0, 1}},
        {"line ends, CR removed", lineEnds, {{"-rCR"}, 1}},
        {"line ends, LF removed", lineEnds, {{"-rLF"}, 0, 1}},
        {"tabs to 4 spaces", lineEnds, {{"-tS4"}, 0, 0, 0, kNotSet, kNotSet, 4}},
        {"tabs to 2 line breaks", lineEnds, {{"-tLB"}, 0, 0, 0, kNotSet, 2}},
        {"single breaks to 2 spaces, CR to LF", lineEnds, {{"-sLB2", "-c"}, 0, 0, 1, 2}},
        {"prose over several code tables", makeEnglishLikeText(150000), {}},
        {"random bytes, stored as they are", randomText(20000, 3), {}},
        {"every byte value",
         [] {
             std::string all = "x";
             for (int round = 0; round < 20; ++round) {
                 for (int byte = 1; byte < 256; ++byte)
                     all += static_cast<char>(byte);
             }
             return all;
         }(),
         {}},
    };
    ScratchDirectory directory;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string expected = prepared(test.source, test.options, false);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(throughBothPrograms(directory, test.source, test.options.arguments), expected);
    }
    // An empty text is stored as one line feed: the reader needs a byte of text.
    EXPECT_EQ(prepared("", {}, false), "");
    EXPECT_EQ(throughBothPrograms(directory, "", {}), "\n");
}

std::string bigEndian16(uint32_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A Doc book around the given text records, compression 1 (none) or 2 (PalmDOC).
std::string docBook(uint16_t compression, const std::vector<std::string>& records) {
    std::string header(78, '\0');
    header.replace(0, 4, "Book");
    header.replace(60, 8, "TEXtREAd");
    header.replace(76, 2, bigEndian16(static_cast<uint32_t>(records.size() + 1)));
    size_t textLength = 0;
    for (const std::string& record : records)
        textLength += record.size();
    const std::string record0 = bigEndian16(compression) + bigEndian16(0) +
                                bigEndian16(static_cast<uint32_t>(textLength >> 16)) +
                                bigEndian16(static_cast<uint32_t>(textLength)) +
                                bigEndian16(static_cast<uint32_t>(records.size())) +
                                bigEndian16(4096) + std::string(4, '\0');
    std::vector<std::string> all{record0};
    all.insert(all.end(), records.begin(), records.end());
    std::string list;
    size_t offset = 78 + 8 * all.size() + 2;
    for (size_t index = 0; index < all.size(); ++index) {
        list += bigEndian16(static_cast<uint32_t>(offset >> 16)) +
                bigEndian16(static_cast<uint32_t>(offset)) + std::string(4, '\0');
        list[list.size() - 1] = static_cast<char>(index);
        offset += all[index].size();
    }
    std::string book = header + list + std::string(2, '\0');
    for (const std::string& record : all)
        book += record;
    return book;
}

std::string previewText(const ScratchDirectory& directory, const std::string& book) {
    writeWholeFile(directory.file("doc.pdb"), book);
    const ProcessResult run =
        runProgram(SKERRIT_PREVIEW_BINARY, {"--text", "doc.pdb"}, "", directory.path());
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    return run.output;
}

TEST(PreviewText, DocBooksAreReadWithTheirOwnCompression) {
    ScratchDirectory directory;
    // Bytes 1 to 8 and from 128 up are codes in PalmDOC text but plain bytes in an uncompressed
    // book.
    const std::string plain = "Caf\xE9 \x01\x02 na\xEFve\n";
    EXPECT_EQ(previewText(directory, docBook(1, {plain, "second record"})),
              plain + "second record");
    // PalmDOC: a literal run of two bytes, a space pair, a back reference.
    const std::string coded = std::string("\x02\xE9\xEF", 3) + "\xC1" + "abc" + "\x80\x1B";
    EXPECT_EQ(previewText(directory, docBook(2, {coded})), "\xE9\xEF Aabcabcabc");
    for (const std::string seed : {"compressed.pdb", "uncompressed.pdb"}) {
        const std::string book =
            readWholeFile(SKERRIT_TEST_DATA_DIR "/../../fuzz/corpus/doc_input/" + seed);
        EXPECT_EQ(previewText(directory, book), prepared(book, {}, true)) << seed;
    }
}

bool haveTxt2pdbdoc() {
    return std::system("command -v txt2pdbdoc > /dev/null 2>&1") == 0;
}

TEST(PreviewText, DocBooksComeBackThroughSkerritAsTheirText) {
    if (!haveTxt2pdbdoc()) {
        GTEST_SKIP() << "txt2pdbdoc is not installed (Debian package txt2pdbdoc); "
                        "the Doc round trips did not run";
    }
    ScratchDirectory directory;
    const std::string text = makeEnglishLikeText(30000, 42);
    writeWholeFile(directory.file("book.txt"), text);
    struct Case {
        const char* flags;
        const char* compression;
    } cases[] = {{"", "2 (PalmDOC)"}, {"-c ", "1 (none)"}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.compression);
        const std::string command = "cd '" + directory.path() + "' && txt2pdbdoc " + test.flags +
                                    "'Harbour Light' book.txt doc.pdb > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string book = readWholeFile(directory.file("doc.pdb"));
        EXPECT_EQ(previewText(directory, book), text);
        const ProcessResult info =
            runProgram(SKERRIT_PREVIEW_BINARY, {"--info", "doc.pdb"}, "", directory.path());
        EXPECT_NE(info.output.find("Compression:     " + std::string(test.compression) + "\n"),
                  std::string::npos)
            << info.output;
        EXPECT_NE(info.output.find("Text:            30000 bytes (the Doc header says 30000)"),
                  std::string::npos)
            << info.output;

        const ProcessResult conversion =
            runProgram(SKERRIT_BINARY, {"-y", "doc.pdb", "vado.pdb"}, "", directory.path());
        ASSERT_EQ(conversion.exitStatus, 0) << conversion.output;
        const ProcessResult converted =
            runProgram(SKERRIT_PREVIEW_BINARY, {"--text", "vado.pdb"}, "", directory.path());
        EXPECT_EQ(converted.output, prepared(book, {}, true));
        EXPECT_EQ(converted.output, text);
    }
}

}  // namespace
}  // namespace skerrit::testing
