// The information file that "ferrand.exe" writes has the older 3.x form: lines 1 to 4 as today
// (types, widths, data screen width, first display column), two 3.x lines, then the popup lines.
// The upgrade turns it into the Tavlo Pro form before "gostwick.exe" reads it.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kEndMarkerHexLine = "456E645461766C6F4461746100";

// The new file's bytes: old lines 1 to 4, the AppInfo flag 0, two lines of zeros (one "0 " for
// each space of old line 1), the end marker as the only extra bytes, and old lines 7 onwards.
// Every line ends with CR LF, as every text file Quillon writes. A text of fewer than four lines
// comes back unchanged. Lines of any length and any number of them are carried whole.
std::string rewriteOldInfoText(std::string_view oldText);

}  // namespace quillon
