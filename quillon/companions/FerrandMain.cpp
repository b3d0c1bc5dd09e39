// "ferrand.exe": the companion that exports a Tavlo 3.x database for the legacy upgrade. It takes
// a command line like Quillon's batch mode 2 (2, database, CSV file, information file) and writes
// the CSV and the older information-file variant. Exit code 0 when both were written, 1 when the
// conversion failed (the reason on standard error), 2 when the command line is not understood.
// "--help" or "--version" alone prints the usage or the version line and ends with exit code 0.
#include <cstdio>
#include <string>
#include <vector>

#include "QuillonVersion.h"
#include "legacy/Tavlo3ToCsv.h"
#include "ui/ProgramInformation.h"

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage = "Usage: ferrand.exe 2 tavlo3-pdb-file csv-file [ifo-file]\n";
constexpr const char* kHelp =
    "       ferrand.exe --help | --version\n"
    "\n"
    "Exports a Tavlo 3.x database to CSV and the older form of the information file, for\n"
    "Quillon's upgrade to Tavlo Pro.\n"
    "\n"
    "Exit status: 0 converted, 1 the conversion failed (the reason is on standard error),\n"
    "2 the command line was not understood.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (arguments.size() == 1) {
        switch (quillon::InformationRequested(arguments[0])) {
            case quillon::InformationRequest::Help:
                std::fputs(kUsage, stdout);
                std::fputs(kHelp, stdout);
                return kExitConverted;
            case quillon::InformationRequest::Version:
                std::fputs(FERRAND_VERSION_TEXT "\n", stdout);
                return kExitConverted;
            case quillon::InformationRequest::None:
                break;
        }
    }
    if (arguments.size() < 3 || arguments.size() > 4 || arguments[0] != "2" ||
        arguments[1].empty() || arguments[2].empty()) {
        std::fputs(kUsage, stderr);
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
