// "gostwick.exe": the companion that builds a Tavlo Pro database from CSV for the legacy upgrade.
// It takes the command line of Quillon's batch mode 1 and runs the same conversion, with the same
// exit codes: 0 when the database was written, 1 when the conversion failed (the reason is in
// "gostwick.err" and on standard error), 2 when the command line asks for something else.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/CommandLine.h"
#include "ui/TerminalUserInterface.h"

namespace {

constexpr const char* kUsage = "Usage: gostwick.exe 1 csv-file pdb-file database-name [ifo-file]\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
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
