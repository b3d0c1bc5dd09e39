// Quillon's entry point. Started with arguments it runs batch mode; without, it would show the
// dialog, which this build does not have yet. The exit code is always 0: batch mode reports
// through the error file "gostwick.err" alone.
#include <cstdio>
#include <string>
#include <vector>

#include "ui/CommandLine.h"
#include "ui/TerminalUserInterface.h"

int main(int argc, char** argv) {
    quillon::TerminalUserInterface ui(stdin, stderr);
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (quillon::RunArguments(arguments, ui) == quillon::StartMode::Interactive) {
        std::fputs(
            "Quillon: the dialog is not available in this build.\n"
            "Batch mode: Quillon 1 csv-file pdb-file database-name [ifo-file]\n"
            "            Quillon 2 pdb-file csv-file [ifo-file]\n",
            stderr);
    }
    return 0;
}
