// upgrade-probe: runs the legacy upgrade with the real process runner of this build, as the
// dialog's third button does, with the given path standing in for the file-open dialog's answer.
// ferrand.exe and gostwick.exe are looked for in the current directory. Prints each message and
// question the upgrade shows (questions are answered with ANSWER, "no" when not given), then the
// job's new database path.
//
//   upgrade-probe CHOSEN-PATH [yes|no]
#include <cstdio>
#include <string>

#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"
#include "upgrade/LegacyUpgrade.h"
#include "upgrade/Win32ProcessRunner.h"

namespace {

class ScriptedUserInterface : public quillon::UserInterface {
  public:
    ScriptedUserInterface(std::string chosen, bool answer)
        : chosen_(std::move(chosen)), answer_(answer) {}

    void showMessage(std::string_view text) override {
        std::printf("message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    std::optional<std::string> askDatabaseName() override { return std::nullopt; }
    std::optional<std::string> chooseFileToOpen(std::string_view /*filter*/) override {
        return chosen_;
    }
    bool confirm(std::string_view question) override {
        std::printf("question: %.*s\nanswer: %s\n", static_cast<int>(question.size()),
                    question.data(), answer_ ? "yes" : "no");
        return answer_;
    }

  private:
    std::string chosen_;
    bool answer_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: upgrade-probe CHOSEN-PATH [yes|no]\n", stderr);
        return 2;
    }
    ScriptedUserInterface ui(argv[1], argc == 3 && std::string(argv[2]) == "yes");
    quillon::Win32ProcessRunner runner;
    quillon::LegacyUpgrade upgrade(runner);
    quillon::DatabaseJob job;
    upgrade.run(job, ui);
    std::printf("pdbPath: %s\n", job.pdbPath.c_str());
    return 0;
}
