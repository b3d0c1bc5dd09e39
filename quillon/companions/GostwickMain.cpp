// "gostwick.exe": the companion that builds a Tavlo Pro database from CSV for the legacy upgrade.
// It takes the command line of Quillon's batch mode 1 and runs the same conversion, but its exit
// code tells the caller the outcome: 0 when the database was written, 1 when the conversion
// failed (the reason is in "gostwick.err" or was shown on standard error), 2 when the command
// line asks for something else.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/CommandLine.h"
#include "ui/TerminalUserInterface.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.empty() || arguments[0].empty() || arguments[0][0] != '1') {
        std::fputs("Usage: gostwick.exe 1 csv-file pdb-file database-name [ifo-file]\n", stderr);
        return kExitUsage;
    }
    quillon::TerminalUserInterface ui(stdin, stderr, "gostwick");
    quillon::BatchResult result = quillon::BatchResult::NothingRun;
    static_cast<void>(quillon::RunArguments(arguments, ui, &result));
    switch (result) {
        case quillon::BatchResult::Succeeded:
            return kExitConverted;
        case quillon::BatchResult::Failed:
            std::fputs("gostwick: the conversion failed; see gostwick.err or the message above\n",
                       stderr);
            return kExitFailed;
        case quillon::BatchResult::NothingRun:
            break;
    }
    std::fputs("gostwick: no CSV file was given\n", stderr);
    return kExitUsage;
}
