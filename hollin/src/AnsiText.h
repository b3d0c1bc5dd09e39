// Conversion between the 8-bit text the library speaks (windows-1252, the ANSI code page of the
// Palm desktop) and the UTF-16 code units Wine keeps in its registry files, or the UTF-8 it uses
// for the names of host files.
#pragma once

#include <string>
#include <string_view>

namespace hollin {

// Characters that windows-1252 lacks become '?', as the Win32 ANSI registry functions do.
[[nodiscard]] std::string ansiFromUtf16(std::u16string_view units);
[[nodiscard]] std::u16string utf16FromAnsi(std::string_view text);
// The same characters in UTF-8, as Wine spells the names of host files.
[[nodiscard]] std::string utf8FromAnsi(std::string_view text);

// Compares ASCII letters without regard to case, as registry key and value names are compared.
[[nodiscard]] bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right);

}  // namespace hollin
