// The Skerrit program: command line checks, destination and title, echo, overwrite question,
// conversion and closing message. Returns the exit status.
#pragma once

namespace skerrit {

[[nodiscard]] int runSkerrit(int argc, const char* const* argv);

}  // namespace skerrit
