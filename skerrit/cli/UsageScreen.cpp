// The usage screen. On a terminal it pauses halfway for Enter so that the banner and notice stay
// readable on an 80 x 25 console before the option list scrolls them away. The prompt is shown
// only when the program will wait for it: read through a pipe or into a file, the screen runs on.
#include "SkerritVersion.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"

namespace skerrit {

namespace {

constexpr const char* kBannerAndNotice[] = {
    "---------------------------\n",
    "S k e r r i t   v. " SKERRIT_VERSION "\n",
    "---------------------------\n",
    "Made by the Skerrit developers.\n",
    "\n",
    "Converts an HTML page and the pages it links to, a plain text file or a\n",
    "Doc e-book into one compressed document database for the Veldt reader.\n",
    "This program comes with no warranty of any kind: keep a copy of your\n",
    "files and check the results before you rely on them.\n",
    "\n",
    "Bug reports: the issue tracker of the Skerrit project.\n",
    "\n",
    "Updates: the release page of the Skerrit project.\n",
    "\n",
    "      Usage: Skerrit {Options} SourceFileName {DestinationFileName}\n",
    "\n",
};

constexpr const char* kOptionsAndNotes[] = {
    "    Options: -h | -? Displays this usage help information\n",
    "             -iTitle T[i]tle (default title is name of source file)\n",
    "                         (i.e., \"-iThe Great American Novel\")\n",
    "             -y      Force overwrite of destination file if it exists\n",
    "             -rCR    [r]emove [CR] (ASCII 13) characters\n",
    "             -rLF    [r]emove [LF] (ASCII 10) characters\n",
    "             -c      [c]onvert CR characters to LF characters\n",
    "             -sLB{n} Replace [s]ingle [L]ine [B]reaks with [n] spaces\n",
    "                         If [n] is not specified, the default will be 1.\n",
    "             -tLB{n} Convert [t]ab (ASCII 9) characters to [n] line breaks\n",
    "                         If [n] is not specified, the default will be 2.\n",
    "                         (i.e., -tLB3 converts each tab to three line breaks)\n",
    "             -tS{n}  Convert [t]ab characters to [n] spaces (ASCII 32)\n",
    "                         If [n] is not specified, the default will be 8.\n",
    "                         (i.e., -tS4 converts each tab to four spaces)\n",
    "             -d{n}   Maximum depth to follow links (0 means only do first page)\n",
    "\n",
    "      Notes: o If the DestinationFileName is not specified, the\n",
    "               destination file will have the same name as the\n",
    "               source file but with a .PDB extension.\n",
    "             o At most one of the -t options may be used.\n",
};

}  // namespace

void showUsage(std::FILE* out, bool pauseHalfway) {
    for (const char* line : kBannerAndNotice)
        std::fputs(line, out);
    if (pauseHalfway) {
        std::fputs("<Hit return to continue>\n", out);
        std::fflush(out);
        static_cast<void>(console::readCharacter());
        std::fputs("\n", out);
    }
    for (const char* line : kOptionsAndNotes)
        std::fputs(line, out);
}

void showVersion(std::FILE* out) {
    std::fputs(SKERRIT_VERSION_TEXT "\n", out);
}

}  // namespace skerrit
