// Whether the text a plain-text or Doc source prepares into fits one database, found before any
// of it is written. Most sources are decided by their size alone; only a source whose size times
// the most its bytes can grow passes the limit is prepared once without writing, to count.
#pragma once

#include <cstdint>

#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

enum class SourceKind { kPlainText, kDocBook };

// The most bytes of prepared text one byte of the source can become under the request's options:
// a tab becomes up to 9999 line breaks or spaces, a single line break up to 9999 spaces; every
// other byte stays one byte or goes.
[[nodiscard]] uint64_t preparedGrowthPerByte(const ConversionRequest& request);

// The most prepared text a source of sourceSize bytes can give: a Doc book's PalmDOC pair of
// bytes decodes to at most ten.
[[nodiscard]] uint64_t preparedTextBound(const ConversionRequest& request, SourceKind kind,
                                         uint64_t sourceSize);

// kResultOk when the prepared text fits kMaxTextLength. Otherwise kResultPreprocessFailed after a
// kNoticeTextTooLong notice with the exact length. Counting makes no progress reports. A source
// that cannot be counted (a read fails, a Doc book is damaged) is let through: its preparation
// meets the same trouble and reports it.
[[nodiscard]] int32_t checkPreparedTextFits(const ConversionRequest& request, FileObject source,
                                            SourceKind kind);

}  // namespace skerrit
