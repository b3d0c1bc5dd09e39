// Arbitrary bytes as the prepared text of a conversion: writeDatabase compresses them on in-memory
// streams, then an independent decoder (zlib's raw inflate, fed each group's code table and one
// text record at a time) must give back exactly those bytes, stored records included. The first
// byte picks the layout: the program's own (4096-byte chunks, 8 per code table) or smaller chunks
// and groups, so that short inputs also run through many chunks, groups and code tables.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "encoder/DatabaseWriter.h"
#include "engine/ResultCodes.h"
#include "support/WriterHarness.h"
#include "support/ZlibRecordDecoder.h"

namespace {

using namespace skerrit;
using namespace skerrit::testing;

struct Layout {
    uint32_t chunkSize;
    uint32_t chunksPerGroup;
};

constexpr Layout kLayouts[] = {{4096, 8}, {4096, 8}, {1024, 8}, {300, 3}, {64, 1}, {4096, 1}};

// Records of the text part for a text of this length (at least 1 byte: an empty text is one
// line feed); the writer refuses 65536 or more.
uint64_t textPartRecords(uint64_t length, const Layout& layout) {
    const uint64_t groupBytes = uint64_t{layout.chunkSize} * layout.chunksPerGroup;
    const uint64_t full = length / groupBytes;
    const uint64_t rest = length - full * groupBytes;
    const uint64_t partial = rest > 0 ? 1 + (rest + layout.chunkSize - 1) / layout.chunkSize : 0;
    return full * (layout.chunksPerGroup + 1) + partial + 1;
}

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "compression round trip: %s %s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    Layout layout = kLayouts[data[0] % std::size(kLayouts)];
    const Bytes text(data + 1, data + size);
    if (textPartRecords(text.empty() ? 1 : text.size(), layout) >= 65536)
        layout = kLayouts[0];

    {
        WriterHarness harness(text);
        const int32_t result =
            harness.writeDatabase("Fuzz", layout.chunkSize, layout.chunksPerGroup);
        if (result != kResultOk)
            fail("writeDatabase answered", std::to_string(result));
        harness.closeAll();
        if (harness.callbacks.liveAllocations() != 0 || harness.callbacks.misuseCount() != 0)
            fail("memory left or callbacks misused");

        std::string error;
        const ParsedDatabase database = parseDatabase(harness.output(), &error);
        if (!error.empty())
            fail("container:", error);
        const DecodedTextPart decoded = decodeTextPart(database);
        if (!decoded.error.empty())
            fail("text part:", decoded.error);
        const Bytes expected = text.empty() ? Bytes{'\n'} : text;
        if (decoded.text != expected)
            fail("decoded text differs from the input");
    }
    return 0;
}
