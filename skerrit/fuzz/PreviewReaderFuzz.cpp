// Arbitrary bytes as a book for skerrit-preview: the reader must answer with a book or a failure
// naming its cause, never read outside the file, and a book it accepts must render and describe.
// Every compressed text record it accepted must also decode through zlib's inflate to the same
// bytes, so the preview's own decoder never accepts what the outside decoder refuses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "preview/BookHtml.h"
#include "preview/BookInfo.h"
#include "preview/BookReader.h"
#include "support/ZlibRecordDecoder.h"

namespace {

using namespace skerrit;
using namespace skerrit::testing;

constexpr const char* kNonzeroTablePadding = "nonzero bits after the code table";

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "preview reader: %s %s\n", what, detail.c_str());
    std::abort();
}

// The text of every accepted compressed record, decoded again by zlib.
void checkAgainstZlib(const Bytes& file, const preview::Book& book) {
    std::string error;
    const ParsedDatabase database = parseDatabase(file, &error);
    if (!error.empty())
        fail("the container the reader accepted does not parse", error);
    const Bytes* codeTable = nullptr;
    size_t textAt = 0;
    for (uint32_t index = 1; index < book.headerRecord.textPartRecords; ++index) {
        const Bytes& record = database.records[index];
        const uint8_t kind = record[1];
        if (kind == 1) {
            codeTable = &record;
            continue;
        }
        const size_t chunk = book.text.size() - textAt < 4096 ? book.text.size() - textAt : 4096;
        if (kind == 2) {
            const InflatedRecord inflated = inflateTextRecord(*codeTable, record);
            // The bits after a code table's last length are padding: the writer leaves them
            // zero, the preview (as a reader must) ignores them.
            if (!inflated.error.empty() && inflated.error != kNonzeroTablePadding)
                fail("zlib refuses an accepted record", inflated.error);
            if (toText(inflated.text) != book.text.substr(textAt, chunk))
                fail("zlib decodes an accepted record differently");
        }
        textAt += chunk;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes file(data, data + size);
    preview::Book book;
    preview::ReadFailure failure;
    if (!preview::readBook(file, book, failure)) {
        if (preview::describeFailure(failure).empty())
            fail("a failure without a message");
        return 0;
    }
    if (book.kind == preview::BookKind::kVaDo) {
        if (book.text.size() != book.headerRecord.textLength)
            fail("the text is not as long as the header record says");
        checkAgainstZlib(file, book);
    }
    const std::string html = preview::renderBookHtml(book);
    if (html.find("</html>") == std::string::npos)
        fail("the page is not complete");
    if (preview::describeBook(book).empty())
        fail("an empty report");
    return 0;
}
