// UTF-8 text in the handheld's 8-bit character set: Latin-1 as it is, the handheld's own codes for
// the characters of its table, stand-ins for what it lacks, and "?" for everything else.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// A CSV that starts with these bytes (a spreadsheet's "CSV UTF-8") is UTF-8 text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Each byte that does not belong to a well-formed UTF-8 sequence becomes one "?", as does each
// character the handheld cannot show; the result is never longer than `utf8`.
[[nodiscard]] std::string handheldTextFromUtf8(std::string_view utf8);

}  // namespace quillon
