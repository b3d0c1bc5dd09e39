// "ferrand.exe": the companion that exports a Tavlo 3.x database for the legacy upgrade. It takes
// a command line like Quillon's batch mode 2 (2, database, CSV file, information file) and writes
// the CSV and the older information-file variant. Exit code 0 when both were written, 1 when the
// conversion failed (the reason on standard error), 2 when the command line is not understood.
#include <cstdio>
#include <string>
#include <vector>

#include "legacy/Tavlo3ToCsv.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.size() < 3 || arguments.size() > 4 || arguments[0] != "2" ||
        arguments[1].empty() || arguments[2].empty()) {
        std::fputs("Usage: ferrand.exe 2 tavlo3-pdb-file csv-file [ifo-file]\n", stderr);
        return kExitUsage;
    }
    const std::string infoPath = arguments.size() == 4 ? arguments[3] : std::string();
    std::string message;
    if (!quillon::tavlo3::ConvertTavlo3Database(arguments[1], arguments[2], infoPath, message)) {
        std::fprintf(stderr, "ferrand: %s\n", message.c_str());
        return kExitFailed;
    }
    std::printf("ferrand: %s\n", message.c_str());
    return kExitConverted;
}
