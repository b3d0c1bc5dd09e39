// The information file: the AppInfo values that CSV cannot carry, as text. Lines 1 to 7 are
// numbers (types, widths, data screen width, first display column, AppInfo flag, extra data 1
// and 2), line 8 the extra bytes in hexadecimal, then one line per popup-area string.
// The readers return false with the message to show; the caller shows it in a message box.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "database/Files.h"
#include "database/TavloLayout.h"

namespace quillon {

inline constexpr size_t kMaxHexLineChars = 3999;  // line feed included
inline constexpr size_t kMaxInfoExtraBytes = 1999;
inline constexpr size_t kMaxPopupLineChars = 99;
inline constexpr size_t kMaxPopupItems = 100;

// Writes lines 1 to 8 and the popup lines of info; cannot fail on its own (the caller checks the
// file when closing it).
void WriteInfoFile(OutputFile& out, const AppInfo& info);

// Reads the first fieldCount numbers (the field types) into types.
[[nodiscard]] bool ReadInfoFieldTypes(InputFile& in, size_t fieldCount,
                                      std::array<uint16_t, kMaxFields>& types,
                                      std::string& message);

// Reads the whole file into info, whose fieldCount is already set. On failure info is partly
// filled and message holds the text to show.
[[nodiscard]] bool ReadInfoFile(InputFile& in, AppInfo& info, std::string& message);

}  // namespace quillon
