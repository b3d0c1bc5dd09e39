// The driver's page opener, handed to the HTML conversion through HtmlJob: the start page is the
// source file the driver already holds open, every other page is opened on demand.
#pragma once

#include <cstdint>

#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

struct PageOpener {
    const ConversionRequest* request;
    FileObject source;  // owned by the driver, never closed here
    FileObject cached;  // the page handed out last; the source until that is closed
};

PageOpener makePageOpener(const ConversionRequest& request, FileObject source);

// Returns the source while it is cached, else opens the path for reading and caches it.
FileObject openPage(PageOpener* opener, const char* path, int32_t depth);

// Closes a page the opener opened (never the source) and forgets the cached file.
void closePage(PageOpener* opener, FileObject file);

}  // namespace skerrit
