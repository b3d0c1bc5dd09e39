// "gostwick.exe": the companion that builds a Tavlo Pro database from CSV for the legacy upgrade.
// It takes the command line of Quillon's batch mode 1 and runs the same conversion, with the same
// exit codes: 0 when the database was written, 1 when the conversion failed (the reason is in
// "gostwick.err" and on standard error), 2 when the command line asks for something else.
// "--help" or "--version" alone prints the usage or the version line and ends with exit code 0.
#include <cstdio>
#include <string>
#include <vector>

#include "QuillonVersion.h"
#include "ui/CommandLine.h"
#include "ui/ProgramInformation.h"
#include "ui/TerminalUserInterface.h"

namespace {

constexpr const char* kUsage = "Usage: gostwick.exe 1 csv-file pdb-file database-name [ifo-file]\n";
constexpr const char* kHelp =
    "       gostwick.exe --help | --version\n"
    "\n"
    "Builds a Tavlo Pro database from CSV, as Quillon's batch mode 1 does, for Quillon's\n"
    "upgrade of Tavlo 3.x databases. Reports go to gostwick.err in the current folder and to\n"
    "standard error.\n"
    "\n"
    "Exit status: 0 converted, 1 the conversion failed, 2 the command line was not\n"
    "understood.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.size() == 1) {
        switch (quillon::InformationRequested(arguments[0])) {
            case quillon::InformationRequest::Help:
                std::fputs(kUsage, stdout);
                std::fputs(kHelp, stdout);
                return 0;
            case quillon::InformationRequest::Version:
                std::fputs(GOSTWICK_VERSION_TEXT "\n", stdout);
                return 0;
            case quillon::InformationRequest::None:
                break;
        }
    }
    quillon::BatchResult result = quillon::BatchResult::NotUnderstood;
    if (!arguments.empty() && arguments[0] == "1") {
        quillon::TerminalUserInterface ui(stdin, stderr, "gostwick");
        static_cast<void>(quillon::RunArguments(arguments, ui, &result));
    }
    if (result == quillon::BatchResult::NotUnderstood) {
        std::fputs(kUsage, stderr);
    }
    return quillon::BatchExitCode(result);
}
