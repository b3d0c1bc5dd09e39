// The dialog's third action: a Tavlo 3.x database becomes a Tavlo Pro database in three steps.
// "ferrand.exe" exports it to CSV and an information file of the older form, the information file
// is rewritten into the Tavlo Pro form, and "gostwick.exe" builds the new database next to the
// old one, with "Pro" added to its file name and its database name. Its messages always go to
// message boxes: the action exists only in the dialog.
//
// The CSV and information file between the steps are working files with names of their own
// ("old.upgrade-1f3a9c07.csv" beside "old.pdb"), created new for each run so that a user's own
// old.csv or old.ifo is never written or deleted, and removed again however the run ends. An
// existing new database is replaced only when the user agrees.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "database/FileSystem.h"
#include "ui/DatabaseJob.h"
#include "ui/UserInterface.h"
#include "upgrade/ProcessRunner.h"

namespace quillon {

inline constexpr const char* kFerrandProgram = "ferrand.exe";
inline constexpr const char* kGostwickProgram = "gostwick.exe";

inline constexpr std::string_view kFerrandFailedMessage =
    "Cannot locate the ferrand.exe application.";
inline constexpr std::string_view kInfoFileMissingMessage =
    "Cannot locate the IFO file.  The first part of the conversion appears to have performed an "
    "error.";
inline constexpr std::string_view kGostwickFailedMessage =
    "Cannot locate the gostwick.exe application.";
inline constexpr std::string_view kQuoteInPathMessage =
    "The path of the chosen file holds a double quote, which cannot be passed to ferrand.exe and "
    "gostwick.exe.";
inline constexpr std::string_view kInfoFileNotRewrittenMessage =
    "Cannot write the IFO file for the second part of the conversion.";
inline constexpr std::string_view kWorkingFilesMessage =
    "Cannot create the working files of the conversion beside the chosen database.";

// Longer file names give a database name of 29 characters or more, which is used as it is.
inline constexpr size_t kProSuffixNameLimit = 29;

// Everything the upgrade derives from the chosen database's path.
struct UpgradeFiles {
    std::string workingStem;  // the chosen path without ".pdb": the working files' names start so
    std::string newPdbPath;
    std::string newDatabaseName;
    std::string chosenFileName;
};
UpgradeFiles deriveUpgradeFiles(const std::string& chosenPath);

std::string upgradeCompletedMessage(std::string_view chosenFileName);

class LegacyUpgrade {
  public:
    // programFolder: the folder of Quillon's executable, where the companions are looked for
    // after the current folder (CompanionSearch.h); empty to look in the current folder only.
    explicit LegacyUpgrade(ProcessRunner& runner,
                           std::string programFolder = platform::executableFolder())
        : runner_(runner), programFolder_(std::move(programFolder)) {}

    // One click of the button: asks for the database and runs the upgrade to its end or to its
    // first failure. Sets the job's pdbPath (to the new database), csvPath and infoPath (to the
    // working files, which are gone again when it returns).
    void run(DatabaseJob& job, UserInterface& ui);

    const std::string& ferrandPath() const { return ferrandPath_; }
    const std::string& gostwickPath() const { return gostwickPath_; }

  private:
    void locatePrograms();

    ProcessRunner& runner_;
    std::string programFolder_;
    // Worked out on first use, then kept until the program ends even if the current directory
    // changes.
    bool programsLocated_ = false;
    std::string ferrandPath_;
    std::string gostwickPath_;
    std::string quotedFerrandPath_;
    std::string quotedGostwickPath_;
};

}  // namespace quillon
