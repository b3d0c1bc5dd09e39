// The texts of Quillon's --help and --version.
#include "ui/ProgramInformation.h"

#include "QuillonVersion.h"

namespace quillon {

namespace {

constexpr std::string_view kHelpText =
    "Usage: Quillon                                              show the dialog\n"
    "       Quillon 1 csv-file pdb-file database-name [ifo-file]   CSV to Tavlo Pro database\n"
    "       Quillon 2 pdb-file csv-file [ifo-file]                 Tavlo Pro database to CSV\n"
    "       Quillon --help | --version\n"
    "\n"
    "Converts Tavlo Pro databases to CSV and back, with an information file (.ifo) that keeps\n"
    "what CSV cannot. Batch mode (1 or 2) uses the comma as the delimiter and reports to the\n"
    "file gostwick.err in the current folder and on standard error.\n"
    "\n"
    "Exit status: 0 converted, 1 the conversion failed, 2 the command line was not understood.\n"
    "\n"
    "The dialog upgrades Tavlo 3.x databases with ferrand.exe and gostwick.exe, looked for in\n"
    "the current folder, then in Quillon's own folder, then in the installation's companion\n"
    "folder (" QUILLON_COMPANION_DIR_FROM_BIN " from Quillon's folder).\n";

constexpr std::string_view kVersionLine = QUILLON_VERSION_TEXT "\n";

std::string_view withoutSurroundingSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

InformationRequest InformationRequested(std::string_view commandLine) {
    const std::string_view line = withoutSurroundingSpaces(commandLine);
    if (line == "--help") {
        return InformationRequest::Help;
    }
    if (line == "--version") {
        return InformationRequest::Version;
    }
    return InformationRequest::None;
}

std::string_view QuillonHelpText() {
    return kHelpText;
}

std::string_view QuillonVersionLine() {
    return kVersionLine;
}

}  // namespace quillon
