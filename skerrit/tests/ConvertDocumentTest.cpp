// The conversion driver through the in-memory callbacks: every result code, the progress steps of
// each kind of input, the HTML branch with a stand-in reader, and a sweep that fails the n-th
// call of every kind in turn and checks that all files are closed and nothing leaks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "encoder/DatabaseWriter.h"
#include "engine/ByteOrder.h"
#include "engine/ConversionNotice.h"
#include "engine/ConvertDocument.h"
#include "engine/ResultCodes.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {
namespace {

constexpr const char* kSource = "/books/source";
constexpr const char* kDestination = "/books/out.pdb";

std::string bigEndian16(uint32_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value)};
}

// A small Doc book with one uncompressed text record; `claimedRecords` above 1 corrupts it.
std::string docBook(const std::string& text, uint32_t claimedRecords = 1) {
    std::string bytes(78, '\0');
    bytes.replace(0, 4, "Book");
    bytes.replace(60, 8, "TEXtREAd");
    bytes.replace(76, 2, bigEndian16(2));
    const uint32_t record0 = 78 + 16 + 2;
    const uint32_t record1 = record0 + 16;
    bytes += std::string(2, '\0') + bigEndian16(record0) + std::string(4, '\0');
    bytes += std::string(2, '\0') + bigEndian16(record1) + std::string(3, '\0') + '\x01';
    bytes += std::string(2, '\0');
    bytes += bigEndian16(1) + bigEndian16(0) + std::string(2, '\0') +
             bigEndian16(static_cast<uint32_t>(text.size())) + bigEndian16(claimedRecords) +
             bigEndian16(4096) + std::string(4, '\0');
    return bytes + text;
}

// A stand-in HTML reader: recognises sources that start with "<html>", writes the page text to
// the text stream and `extraRecords` four-byte records to the section streams, opens and closes
// the start page and one more page, and answers as told.
struct StandInHtml {
    static inline int32_t answer = 0;
    static inline uint32_t extraRecords = 0;
    static inline int calls = 0;

    static int32_t isHtmlFile(const ConverterCallbacks& callbacks, FileObject source) {
        char start[6] = {};
        if (callbacks.seekFile(callbacks.context, source, 0, kSeekFromStart) != 0)
            return 0;
        return callbacks.readFile(callbacks.context, source, 6, start) == 6 &&
               std::string(start, 6) == "<html>";
    }

    static int32_t convertHtml(HtmlJob& job, const char* startName) {
        ++calls;
        const ConverterCallbacks& callbacks = *job.callbacks;
        FileObject page = job.openPage(job.pageOpener, startName, 0);
        if (page == nullptr)
            return 2;
        job.closePage(job.pageOpener, page);
        FileObject linked = job.openPage(job.pageOpener, "/books/linked.htm", 1);
        if (linked != nullptr)
            job.closePage(job.pageOpener, linked);
        const std::string text = "Page text\n";
        if (callbacks.writeFile(callbacks.context, job.textStream,
                                static_cast<uint32_t>(text.size()), text.data()) < 0) {
            return 2;
        }
        for (uint32_t record = 0; record < extraRecords; ++record) {
            uint8_t offset[4];
            storeLittleEndian32(offset, record * 4);
            const uint8_t body[4] = {0, 1, 2, 3};
            if (callbacks.writeFile(callbacks.context, job.sectionDataStream, 4, body) != 4 ||
                callbacks.writeFile(callbacks.context, job.sectionIndexStream, 4, offset) != 4) {
                return 2;
            }
        }
        job.styleCount = static_cast<int32_t>(extraRecords);
        job.textFileCount = 1;
        return answer;
    }

    static void reset(int32_t answerToGive = 0, uint32_t records = 2) {
        answer = answerToGive;
        extraRecords = records;
        calls = 0;
    }
};

const HtmlConverter kStandIn{&StandInHtml::isHtmlFile, &StandInHtml::convertHtml};

// A Doc book whose text records are stored as they are (compression field 1).
std::string storedDocBook(const std::vector<std::string>& textRecords) {
    const auto count = static_cast<uint32_t>(textRecords.size());
    std::string bytes(78, '\0');
    bytes.replace(0, 4, "Book");
    bytes.replace(60, 8, "TEXtREAd");
    bytes.replace(76, 2, bigEndian16(count + 1));
    uint32_t offset = 78 + 8 * (count + 1) + 2;
    std::string list;
    std::string body = bigEndian16(1) + bigEndian16(0) + std::string(4, '\0') + bigEndian16(count) +
                       bigEndian16(4096) + std::string(4, '\0');
    list += std::string(2, '\0') + bigEndian16(offset) + std::string(4, '\0');
    offset += 16;
    for (uint32_t index = 0; index < count; ++index) {
        list += bigEndian16(offset >> 16) + bigEndian16(offset & 0xFFFF) + std::string(3, '\0') +
                static_cast<char>(index + 1);
        offset += static_cast<uint32_t>(textRecords[index].size());
        body += textRecords[index];
    }
    return bytes + list + std::string(2, '\0') + body;
}

ConversionRequest requestFor(const ConverterCallbacks& callbacks) {
    return ConversionRequest{&callbacks, kSource, kDestination, "Title", 0,      0,
                             0,          kNotSet, kNotSet,      kNotSet, kNotSet};
}

struct Outcome {
    int32_t result;
    std::vector<int32_t> stepCodes;  // progress codes other than 7, in order
};

Outcome convert(MemoryCallbacks& memory, const HtmlConverter* html = &kStandIn) {
    const int32_t result = convertDocumentWith(requestFor(memory.table()), html);
    std::vector<int32_t> steps;
    for (const ProgressEvent& event : memory.progressEvents()) {
        if (event.code != kProgressPercent)
            steps.push_back(event.code);
    }
    return {result, steps};
}

void expectNothingLeft(const MemoryCallbacks& memory) {
    EXPECT_EQ(memory.openFiles(), 0);
    EXPECT_EQ(memory.liveAllocations(), 0);
    EXPECT_EQ(memory.misuseCount(), 0);
}

uint32_t headerTextLength(const Bytes& database) {
    const uint32_t record0 = loadBigEndian32(database.data() + 78);
    return loadBigEndian32(database.data() + record0 + 12);
}

TEST(ConvertDocumentTest, EachKindOfInputConverts) {
    struct Case {
        const char* what;
        std::string source;
        std::vector<int32_t> steps;
        uint32_t textLength;
        uint16_t numRecords;
    };
    StandInHtml::reset(0, 2);
    const Case cases[] = {
        {"text", "plain text\n", {kProgressTextPreprocess, kProgressTextCompress}, 11, 3},
        {"empty text", "", {kProgressTextPreprocess, kProgressTextCompress}, 1, 3},
        {"Doc", docBook("doc text"), {kProgressDocPreprocess, kProgressTextCompress}, 8, 3},
        {"Doc full of tags",
         docBook("<html><body>"),
         {kProgressDocPreprocess, kProgressTextCompress},
         12,
         3},
        {"HTML", "<html><p>Hello", {kProgressHtmlCompress}, 10, 5},
        // Read as text: its zero bytes disappear.
        {"Doc creator missing",
         docBook("x").replace(64, 4, "BOOK"),
         {kProgressTextPreprocess, kProgressTextCompress},
         21,
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryCallbacks memory;
        memory.addFile(kSource, c.source);
        const Outcome outcome = convert(memory);
        EXPECT_EQ(outcome.result, kResultOk);
        EXPECT_EQ(outcome.stepCodes, c.steps);
        expectNothingLeft(memory);
        EXPECT_EQ(toText(memory.file(kSource)), c.source);
        const Bytes& database = memory.file(kDestination);
        ASSERT_GE(database.size(), 80u);
        EXPECT_EQ(loadBigEndian16(database.data() + 76), c.numRecords);  // numRecords
        EXPECT_EQ(headerTextLength(database), c.textLength);
        EXPECT_EQ(memory.temporaryFilesCreated(), 4);
    }
}

TEST(ConvertDocumentTest, NoProgressSlotMeansNoProgressCalls) {
    MemoryCallbacks memory;
    memory.addFile(kSource, "text");
    memory.disableProgress();
    EXPECT_EQ(convertDocumentWith(requestFor(memory.table()), nullptr), kResultOk);
    EXPECT_EQ(memory.counts().progress, 0);
    expectNothingLeft(memory);
}

TEST(ConvertDocumentTest, ResultCodes) {
    struct Case {
        const char* what;
        std::string source;  // empty name: no source file at all
        void (*setUp)(MemoryCallbacks&);
        int32_t result;
        bool destinationExists;
    };
    const Case cases[] = {
        {"source missing", "", [](MemoryCallbacks&) {}, kResultSourceOpenFailed, false},
        {"destination refused", "text", [](MemoryCallbacks& m) { m.refuseOpen(kDestination); },
         kResultDestinationOpenFailed, false},
        {"first temporary file", "text", [](MemoryCallbacks& m) { m.faults.failTempAt = 1; },
         kResultTempFileFailed, true},
        {"fourth temporary file", "text", [](MemoryCallbacks& m) { m.faults.failTempAt = 4; },
         kResultTempFileFailed, true},
        {"stop at the text step", "text", [](MemoryCallbacks& m) { m.faults.stopProgressAt = 1; },
         kResultCanceled, true},
        {"stop at the first percentage of compression", "text",
         [](MemoryCallbacks& m) { m.faults.stopProgressAt = 4; }, kResultCanceled, true},
        {"stop at the Doc step", docBook("x"),
         [](MemoryCallbacks& m) { m.faults.stopProgressAt = 1; }, kResultCanceled, true},
        {"corrupt Doc", docBook("x", 2), [](MemoryCallbacks&) {}, kResultPreprocessFailed, true},
        {"HTML canceled", "<html>", [](MemoryCallbacks&) { StandInHtml::reset(1); },
         kResultCanceled, true},
        {"HTML failed", "<html>", [](MemoryCallbacks&) { StandInHtml::reset(2); },
         kResultConversionFailed, true},
        {"HTML odd answer counts as done", "<html>",
         [](MemoryCallbacks&) { StandInHtml::reset(7); }, kResultOk, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandInHtml::reset();
        MemoryCallbacks memory;
        if (!c.source.empty())
            memory.addFile(kSource, c.source);
        c.setUp(memory);
        EXPECT_EQ(convert(memory).result, c.result);
        expectNothingLeft(memory);
        EXPECT_EQ(memory.hasFile(kDestination), c.destinationExists);
        if (!c.source.empty()) {
            EXPECT_EQ(toText(memory.file(kSource)), c.source);
        }
    }
}

// More extra records than a signed 16-bit index can reach fail before anything is written.
TEST(ConvertDocumentTest, TooManyExtraRecordsFailBeforeWriting) {
    StandInHtml::reset(0, 32768);
    MemoryCallbacks memory;
    memory.addFile(kSource, "<html>");
    EXPECT_EQ(convert(memory).result, kResultConversionFailed);
    EXPECT_TRUE(memory.file(kDestination).empty());
    expectNothingLeft(memory);
}

// The stand-in's ten bytes of text take three records (header record, code table, text record);
// with 32764 extra records the document has the 32767 records the indexes can reach, with one more
// it is refused before its text is compressed, with a notice of what it needed.
TEST(ConvertDocumentTest, HtmlRecordLimitOnBothSides) {
    struct Case {
        uint32_t extraRecords;
        int32_t result;
    };
    for (const Case& c : {Case{32764, kResultOk}, Case{32765, kResultConversionFailed}}) {
        SCOPED_TRACE(c.extraRecords);
        StandInHtml::reset(0, c.extraRecords);
        MemoryCallbacks memory;
        memory.addFile(kSource, "<html>");
        EXPECT_EQ(convert(memory).result, c.result);
        expectNothingLeft(memory);
        const std::vector<ProgressEvent> notices = memory.notices();
        if (c.result == kResultOk) {
            EXPECT_TRUE(notices.empty());
            EXPECT_EQ(loadBigEndian16(memory.file(kDestination).data() + 76), 32767);
            continue;
        }
        EXPECT_TRUE(memory.file(kDestination).empty());
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].noticeKind, kNoticeTooManyRecords);
        EXPECT_EQ(notices[0].noticeCount, 32768u);
        EXPECT_EQ(notices[0].noticeLimit, 32767u);
    }
}

// One database holds 238,600,192 bytes of text. A text that would prepare into more is refused
// after its step is announced and before any of it is written: the driver counts it first when its
// size times the most a byte can grow passes the limit. 23,862 tabs of 9999 spaces and 4,054
// other bytes are exactly the limit. The progress report after the announcement answers "stop",
// so a text that fits ends canceled there, having been let through.
TEST(ConvertDocumentTest, TextLengthLimitOnBothSidesBeforeAnythingIsWritten) {
    const std::string atLimit = std::string(23862, '\t') + std::string(4054, 'x');
    static_assert(23862ull * 9999 + 4054 == kMaxTextLength);
    // A Doc book whose stored records hold the same text, one byte more.
    std::vector<std::string> records;
    const std::string overLimit = atLimit + "x";
    for (std::size_t at = 0; at < overLimit.size(); at += 4096)
        records.push_back(overLimit.substr(at, 4096));
    struct Case {
        const char* what;
        std::string source;
        int32_t result;
    };
    const Case cases[] = {
        {"text at the limit", atLimit, kResultCanceled},
        {"text one byte over", overLimit, kResultPreprocessFailed},
        {"Doc book one byte over", storedDocBook(records), kResultPreprocessFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryCallbacks memory;
        memory.addFile(kSource, c.source);
        memory.faults.stopProgressAt = 2;
        ConversionRequest request = requestFor(memory.table());
        request.tabSpaces = 9999;
        EXPECT_EQ(convertDocumentWith(request, &kStandIn), c.result);
        expectNothingLeft(memory);
        EXPECT_TRUE(memory.file(kDestination).empty());
        const std::vector<ProgressEvent> notices = memory.notices();
        if (c.result == kResultCanceled) {
            EXPECT_TRUE(notices.empty());
            continue;
        }
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].noticeKind, kNoticeTextTooLong);
        EXPECT_EQ(notices[0].noticeCount, uint64_t{kMaxTextLength} + 1);
        EXPECT_EQ(notices[0].noticeLimit, kMaxTextLength);
        // Refused before the preparation wrote to the text stream: only the announcement and
        // the notice were reported.
        EXPECT_EQ(memory.progressEvents().size(), 2u);
    }
}

TEST(ConvertDocumentTest, CanceledAtTheTextStepLeavesAnEmptyDestination) {
    MemoryCallbacks memory;
    memory.addFile(kSource, "text");
    memory.faults.stopProgressAt = 1;
    EXPECT_EQ(convert(memory).result, kResultCanceled);
    EXPECT_TRUE(memory.file(kDestination).empty());
}

TEST(ConvertDocumentTest, HtmlStartPageIsTheOpenSource) {
    StandInHtml::reset(0, 0);
    MemoryCallbacks memory;
    memory.addFile(kSource, "<html>");
    memory.addFile("/books/linked.htm", "<html>");
    EXPECT_EQ(convert(memory).result, kResultOk);
    // Source and destination, then the linked page: the start page is not opened again.
    EXPECT_EQ(memory.counts().open, 3);
    expectNothingLeft(memory);
}

// Fails the n-th call of one kind for n = 1, 2, ... until a conversion no longer reaches it.
// Whatever fails, the driver must close every file, release every block, and never touch the
// source; the answer must be the code that belongs to the failure.
TEST(ConvertDocumentTest, EveryFailingCallIsCleanedUp) {
    struct Kind {
        const char* name;
        int MemoryCallbacks::Faults::*fault;
        int MemoryCallbacks::CallCounts::*count;
    };
    const Kind kinds[] = {
        {"open", &MemoryCallbacks::Faults::failOpenAt, &MemoryCallbacks::CallCounts::open},
        {"seek", &MemoryCallbacks::Faults::failSeekAt, &MemoryCallbacks::CallCounts::seek},
        {"read", &MemoryCallbacks::Faults::failReadAt, &MemoryCallbacks::CallCounts::read},
        {"write", &MemoryCallbacks::Faults::failWriteAt, &MemoryCallbacks::CallCounts::write},
        {"temp", &MemoryCallbacks::Faults::failTempAt, &MemoryCallbacks::CallCounts::temp},
        {"allocate", &MemoryCallbacks::Faults::failAllocateAt,
         &MemoryCallbacks::CallCounts::allocate},
        {"progress", &MemoryCallbacks::Faults::stopProgressAt,
         &MemoryCallbacks::CallCounts::progress},
    };
    const std::string longText(20000, 'w');
    // The last source goes through the program's own HTML reader, which allocates and opens the
    // linked page itself.
    const std::pair<std::string, const HtmlConverter*> sources[] = {
        {"short text\r\n", &kStandIn},
        {longText, &kStandIn},
        {docBook("doc text"), &kStandIn},
        {"<html><p>page", &kStandIn},
        {"<html><title>T</title><p>page <a href=\"linked.htm\">on</a><hr><b>bold</b>",
         builtInHtmlConverter()},
    };
    for (const auto& [source, html] : sources) {
        for (const Kind& kind : kinds) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(std::string(kind.name) + " #" + std::to_string(n) + " on " +
                             source.substr(0, 12));
                StandInHtml::reset(0, 2);
                MemoryCallbacks memory;
                memory.addFile(kSource, source);
                memory.addFile("/books/linked.htm", "<html><p>linked <i>page</i>");
                memory.faults.*kind.fault = n;
                const int32_t result = convert(memory, html).result;
                expectNothingLeft(memory);
                EXPECT_EQ(toText(memory.file(kSource)), source);
                if (memory.counts().*kind.count < n) {
                    EXPECT_EQ(result, kResultOk);  // the fault was never reached
                    break;
                }
                if (kind.fault == &MemoryCallbacks::Faults::failTempAt) {
                    EXPECT_EQ(result, n <= 4 ? kResultTempFileFailed : kResultConversionFailed);
                } else if (kind.fault == &MemoryCallbacks::Faults::stopProgressAt) {
                    EXPECT_EQ(result, kResultCanceled);
                } else if (kind.fault == &MemoryCallbacks::Faults::failOpenAt && n <= 2) {
                    EXPECT_EQ(result,
                              n == 1 ? kResultSourceOpenFailed : kResultDestinationOpenFailed);
                } else if (kind.fault == &MemoryCallbacks::Faults::failWriteAt) {
                    // A lost write is never success: HTML sources fail in the reader or the
                    // writer, text and Doc sources in their preparation or the writer.
                    if (source.starts_with("<html>")) {
                        EXPECT_EQ(result, kResultConversionFailed);
                    } else {
                        EXPECT_TRUE(result == kResultPreprocessFailed ||
                                    result == kResultConversionFailed)
                            << result;
                    }
                } else {
                    // A failed look at the source may just make it "not Doc" or "not HTML".
                    EXPECT_TRUE(result == kResultOk || result == kResultPreprocessFailed ||
                                result == kResultConversionFailed)
                        << result;
                }
                ASSERT_LT(n, 10000) << "the sweep does not end";
            }
        }
    }
}

}  // namespace
}  // namespace skerrit::testing
