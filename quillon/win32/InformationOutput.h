// Where Quillon.exe, a program without a console of its own, shows its --help and --version text.
#pragma once

#include <string_view>

namespace quillon {

// Into standard output when it leads somewhere (a file, a pipe, or a console the starter gave);
// else into the console of the program that started Quillon.exe, as from a command prompt; else,
// started from Explorer or a shortcut, in a message box.
void ShowInformation(std::string_view text);

}  // namespace quillon
