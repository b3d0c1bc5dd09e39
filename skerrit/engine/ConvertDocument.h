// The conversion driver: opens source and destination, creates the four temporary streams,
// decides whether the source is a Doc database, an HTML page or plain text, runs the steps for
// that kind of input and returns one result code (ResultCodes.h).
#pragma once

#include <cstdint>

#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"
#include "engine/HtmlJob.h"

namespace skerrit {

// The two entry points of the HTML reader the driver needs. Kept as a table so the driver's HTML
// branch can be exercised with a stand-in reader.
struct HtmlConverter {
    // 1 when the open source is an HTML page, else 0.
    int32_t (*isHtmlFile)(const ConverterCallbacks& callbacks, FileObject source);
    // 0 done, 1 canceled, 2 failed; any other value counts as done.
    int32_t (*convertHtml)(HtmlJob& job, const char* startName);
};

// The HTML reader the program ships with.
const HtmlConverter* builtInHtmlConverter();

[[nodiscard]] int32_t convertDocument(const ConversionRequest& request);

// convertDocument with the HTML reader given explicitly; null means no HTML detection at all.
[[nodiscard]] int32_t convertDocumentWith(const ConversionRequest& request,
                                          const HtmlConverter* html);

}  // namespace skerrit
