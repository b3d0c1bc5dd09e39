// The entry side of the HTML reader: converting a start page and the pages reached from it into
// the formatted text model and the extra-record sections, recognising an HTML source, and reading
// a page's title for the command line's default title.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "engine/HtmlJob.h"

namespace skerrit {

// Converts the start page (a full path) and the pages it links to, down to the job's link depth.
// Fills the job's section counts. Returns 0 done, 1 canceled, 2 failed.
[[nodiscard]] int32_t convertHtml(HtmlJob& job, const char* startName);

// 1 when the open file starts (after whitespace, comments and declarations) with an HTML start
// tag or an HTML document type declaration, else 0. The file stays open at an unspecified
// position.
[[nodiscard]] int32_t isHtmlFile(const ConverterCallbacks& callbacks, FileObject file);

// Reads the text of the first TITLE element of the file into out (at most max characters and a
// NUL, so out holds max + 1). Returns 1 when the file was read up to the TITLE element or up to
// the end of its HEAD (the title is then empty), else 0.
[[nodiscard]] int32_t readHtmlTitle(const ConverterCallbacks& callbacks, const char* path,
                                    char* out, int32_t max);

}  // namespace skerrit
