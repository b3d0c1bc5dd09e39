// The legacy upgrade. Both companions are judged by their exit code alone, so they end with a
// non-zero code when their conversion fails; every argument, the database name included, is
// quoted so that names with spaces reach gostwick.exe as one argument. A failure message gives
// the specified line, then what went wrong: the system's reason, or the companion's exit code and
// gostwick.exe's report.
#include "upgrade/LegacyUpgrade.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "database/AtomicOutputFile.h"
#include "database/FileSystem.h"
#include "database/Files.h"
#include "database/TavloLayout.h"
#include "ui/DerivedPaths.h"
#include "ui/DialogActions.h"
#include "ui/ReportMessage.h"
#include "upgrade/CompanionSearch.h"
#include "upgrade/InfoFileRewrite.h"

namespace quillon {

namespace {

// Names are drawn until one is free; a clash needs another run drawing the same eight digits.
constexpr int kWorkingNameAttempts = 100;

std::string withQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string withoutTrailingSpaces(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

[[nodiscard]] bool readWholeFile(const std::string& path, std::string& text) {
    InputFile in;
    if (!in.open(path)) {
        return false;
    }
    text.clear();
    for (int c = in.get(); c != kEndOfFile; c = in.get()) {
        text.push_back(static_cast<char>(c));
    }
    return true;
}

[[nodiscard]] bool writeWholeFile(const std::string& path, std::string_view text) {
    AtomicOutputFile out;
    if (!out.create(path)) {
        return false;
    }
    out.file().write(text);
    return out.commit();
}

// The CSV and information file between the two companions: new, empty files under names that
// no other file had, removed again when the upgrade ends, however it ends.
class WorkingFiles {
  public:
    WorkingFiles() = default;
    ~WorkingFiles() {
        for (const std::string* path : {&csvPath_, &infoPath_}) {
            if (!path->empty()) {
                static_cast<void>(deleteFile(*path));
                platform::forgetTemporaryFile(*path);
            }
        }
    }
    WorkingFiles(const WorkingFiles&) = delete;
    WorkingFiles& operator=(const WorkingFiles&) = delete;

    // False with the failing path and the system's reason in failure.
    [[nodiscard]] bool create(const std::string& stem, std::string& failure) {
        for (int attempt = 0; attempt < kWorkingNameAttempts; ++attempt) {
            const std::string token = "upgrade-" + uniqueToken();
            std::string csv = nameBeside(stem, token, ".csv");
            if (!reserve(csv, failure)) {
                if (!failure.empty()) {
                    return false;
                }
                continue;
            }
            csvPath_ = std::move(csv);
            std::string info = nameBeside(stem, token, ".ifo");
            if (!reserve(info, failure)) {
                static_cast<void>(deleteFile(csvPath_));
                platform::forgetTemporaryFile(csvPath_);
                csvPath_.clear();
                if (!failure.empty()) {
                    return false;
                }
                continue;
            }
            infoPath_ = std::move(info);
            return true;
        }
        return false;
    }
    const std::string& csvPath() const { return csvPath_; }
    const std::string& infoPath() const { return infoPath_; }

  private:
    // True when path was made; a name that is taken leaves failure empty for another try.
    static bool reserve(const std::string& path, std::string& failure) {
        OutputFile file;
        const bool created = file.createNew(path) && file.close();
        if (created) {
            platform::rememberTemporaryFile(path);
        }
        failure = created || file.errorNumber() == EEXIST
                      ? std::string()
                      : path + ": " + systemErrorText(file.errorNumber());
        return created;
    }

    std::string csvPath_;
    std::string infoPath_;
};

// What went wrong with a companion run, for the second line of the failure message.
std::string companionFailure(const ProcessRunner& runner, const char* program,
                             const std::optional<int>& exitCode) {
    if (!exitCode) {
        return runner.failureText();
    }
    std::string text = std::string(program) + " ended with exit code " + std::to_string(*exitCode);
    // A failed gostwick.exe run (exit code 1) leaves its reason in the error file of the current
    // folder, which it shares with this program.
    std::string report;
    if (program == std::string_view(kGostwickProgram) && *exitCode == 1 &&
        readWholeFile(kBatchErrorFileName, report) && !report.empty()) {
        text += ": " + report;
    }
    return text;
}

std::string twoLines(std::string_view first, std::string_view second) {
    return second.empty() ? std::string(first) : std::string(first) + "\n" + std::string(second);
}

}  // namespace

UpgradeFiles deriveUpgradeFiles(const std::string& chosenPath) {
    UpgradeFiles files;
    files.workingStem = pathStem(chosenPath);
    files.newPdbPath = withoutTrailingSpaces(pathStem(chosenPath)) + "Pro.pdb";
    files.chosenFileName = std::string(fileNameOf(chosenPath));
    std::string name = withoutTrailingSpaces(pathStem(files.chosenFileName));
    if (name.size() < kProSuffixNameLimit) {
        name += "Pro";
    }
    // The database header holds 31 characters; a longer file name still gives a database.
    if (name.size() > kMaxDatabaseNameLength) {
        name.resize(kMaxDatabaseNameLength);
    }
    files.newDatabaseName = name;
    return files;
}

std::string upgradeCompletedMessage(std::string_view chosenFileName) {
    return "Conversion of Tavlo 3.x format .pdb file: " + std::string(chosenFileName) +
           " complete.\nYou should now use InstallApp to install the converted .pdb file back to "
           "your Palm unit.";
}

void LegacyUpgrade::locatePrograms() {
    if (programsLocated_) {
        return;
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    const std::vector<std::string> folders =
        CompanionFolders(error ? std::string() : current.string(), programFolder_);
    ferrandPath_ = LocateCompanion(kFerrandProgram, folders);
    gostwickPath_ = LocateCompanion(kGostwickProgram, folders);
    quotedFerrandPath_ = withQuotes(ferrandPath_);
    quotedGostwickPath_ = withQuotes(gostwickPath_);
    programsLocated_ = true;
}

void LegacyUpgrade::run(DatabaseJob& job, UserInterface& ui) {
    locatePrograms();
    const std::optional<std::string> chosen = ui.chooseFileToOpen(kPdbFilter);
    if (!chosen) {
        return;
    }
    const UpgradeFiles files = deriveUpgradeFiles(*chosen);
    // A double quote would end an argument early and let the rest of the name pass as further
    // arguments, naming files the user never chose.
    for (const std::string* text : std::initializer_list<const std::string*>{
             &*chosen, &files.newPdbPath, &ferrandPath_, &gostwickPath_}) {
        if (text->find('"') != std::string::npos) {
            ui.showMessage(kQuoteInPathMessage);
            return;
        }
    }
    // The new database may be an earlier upgrade the user has since worked on. Where nobody can
    // answer, the answer is no.
    if (pathExists(files.newPdbPath)) {
        const std::string existing[] = {files.newPdbPath};
        if (!ui.confirm(ReplaceQuestion(existing))) {
            return;
        }
    }
    WorkingFiles working;
    std::string failure;
    if (!working.create(files.workingStem, failure)) {
        ui.showMessage(twoLines(kWorkingFilesMessage, failure));
        return;
    }
    job.pdbPath = *chosen;
    job.csvPath = working.csvPath();
    job.infoPath = working.infoPath();

    const std::string exportLine = quotedFerrandPath_ + " 2 " + withQuotes(*chosen) + " " +
                                   withQuotes(working.csvPath()) + " " +
                                   withQuotes(working.infoPath());
    const std::optional<int> exported = runner_.run(ferrandPath_, exportLine);
    if (exported != 0) {
        ui.showMessage(
            twoLines(kFerrandFailedMessage, companionFailure(runner_, kFerrandProgram, exported)));
        return;
    }

    // The working file was made empty; ferrand.exe always writes at least four lines.
    std::string oldInfo;
    if (!readWholeFile(working.infoPath(), oldInfo) || oldInfo.empty()) {
        ui.showMessage(kInfoFileMissingMessage);
        return;
    }
    if (!writeWholeFile(working.infoPath(), rewriteOldInfoText(oldInfo))) {
        ui.showMessage(kInfoFileNotRewrittenMessage);
        return;
    }

    job.pdbPath = files.newPdbPath;
    const std::string importLine = quotedGostwickPath_ + " 1 " + withQuotes(working.csvPath()) +
                                   " " + withQuotes(files.newPdbPath) + " " +
                                   withQuotes(files.newDatabaseName) + " " +
                                   withQuotes(working.infoPath());
    const std::optional<int> imported = runner_.run(gostwickPath_, importLine);
    if (imported != 0) {
        ui.showMessage(twoLines(kGostwickFailedMessage,
                                companionFailure(runner_, kGostwickProgram, imported)));
        return;
    }
    ui.showMessage(upgradeCompletedMessage(files.chosenFileName));
}

}  // namespace quillon
