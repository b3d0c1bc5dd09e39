// What the driver hands the HTML conversion, and what the conversion hands back.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"

namespace skerrit {

// The driver's page opener: returns the already open source file while that is cached.
struct PageOpener;

struct HtmlJob {
    FileObject (*openPage)(PageOpener* opener, const char* path, int32_t depth);
    void (*closePage)(PageOpener* opener, FileObject file);
    PageOpener* pageOpener;
    const ConverterCallbacks* callbacks;
    FileObject textStream;          // T1
    FileObject sectionDataStream;   // T3: extra-record bodies, back to back
    FileObject sectionIndexStream;  // T4: start of each extra record in T3, 32-bit little-endian
    int32_t maxLinkDepth;
    // Filled by the HTML conversion: first extra record (counted from the first extra record) and
    // record count of each of the four groups, and the number of source files that produced text.
    int32_t styleFirst;
    int32_t styleCount;
    int32_t linkFirst;
    int32_t linkCount;
    int32_t ruleFirst;
    int32_t ruleCount;
    int32_t textFileCount;
    int32_t boundaryFirst;
    int32_t boundaryCount;
};

}  // namespace skerrit
