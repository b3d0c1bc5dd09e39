// upgrade-probe: runs the legacy upgrade with the real process runner of this build, as the
// dialog's third button does, with the given path standing in for the file-open dialog's answer.
// ferrand.exe and gostwick.exe are looked for in the current directory. Prints each message the
// upgrade shows, then the job's paths.
//
//   upgrade-probe CHOSEN-PATH
#include <cstdio>
#include <string>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"
#include "upgrade/LegacyUpgrade.h"
#include "upgrade/Win32ProcessRunner.h"

namespace {

class ScriptedUserInterface : public quillon::UserInterface {
  public:
    explicit ScriptedUserInterface(std::string chosen) : chosen_(std::move(chosen)) {}

    void showMessage(std::string_view text) override {
        std::printf("message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    std::optional<std::string> askDatabaseName() override { return std::nullopt; }
    std::optional<std::string> chooseFileToOpen(std::string_view /*filter*/) override {
        return chosen_;
    }

  private:
    std::string chosen_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: upgrade-probe CHOSEN-PATH\n", stderr);
        return 2;
    }
    ScriptedUserInterface ui(argv[1]);
    quillon::Win32ProcessRunner runner;
    quillon::LegacyUpgrade upgrade(runner);
    quillon::DatabaseJob job;
    upgrade.run(job, ui);
    std::printf("pdbPath: %s\n", job.pdbPath.c_str());
    return 0;
}
