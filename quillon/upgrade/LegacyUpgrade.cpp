// The legacy upgrade. Both companions are judged by their exit code alone, so they end with a
// non-zero code when their conversion fails; every argument, the database name included, is
// quoted so that names with spaces reach gostwick.exe as one argument.
#include "upgrade/LegacyUpgrade.h"

#include <optional>

#include "database/Files.h"
#include "database/TavloLayout.h"
#include "ui/DerivedPaths.h"
#include "ui/DialogActions.h"
#include "upgrade/InfoFileRewrite.h"

namespace quillon {

namespace {

std::string quoted(std::string_view text) {
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
    OutputFile out;
    if (!out.create(path)) {
        return false;
    }
    out.write(text);
    return out.close();
}

}  // namespace

UpgradeFiles deriveUpgradeFiles(const std::string& chosenPath) {
    UpgradeFiles files;
    files.csvPath = withExtension(chosenPath, "csv");
    files.infoPath = withExtension(chosenPath, "ifo");
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
    ferrandPath_ = fullPath(kFerrandProgram);
    gostwickPath_ = fullPath(kGostwickProgram);
    quotedFerrandPath_ = quoted(ferrandPath_);
    quotedGostwickPath_ = quoted(gostwickPath_);
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
             &*chosen, &files.csvPath, &files.infoPath, &files.newPdbPath, &ferrandPath_,
             &gostwickPath_}) {
        if (text->find('"') != std::string::npos) {
            ui.showMessage(kQuoteInPathMessage);
            return;
        }
    }
    job.pdbPath = *chosen;
    job.csvPath = files.csvPath;
    job.infoPath = files.infoPath;

    const std::string exportLine = quotedFerrandPath_ + " 2 " + quoted(*chosen) + " " +
                                   quoted(files.csvPath) + " " + quoted(files.infoPath);
    if (runner_.run(ferrandPath_, exportLine) != 0) {
        ui.showMessage(kFerrandFailedMessage);
        return;
    }

    std::string oldInfo;
    if (!readWholeFile(files.infoPath, oldInfo)) {
        ui.showMessage(kInfoFileMissingMessage);
        return;
    }
    if (!writeWholeFile(files.infoPath, rewriteOldInfoText(oldInfo))) {
        ui.showMessage(kInfoFileNotRewrittenMessage);
        return;
    }

    job.pdbPath = files.newPdbPath;
    const std::string importLine = quotedGostwickPath_ + " 1 " + quoted(files.csvPath) + " " +
                                   quoted(files.newPdbPath) + " " + quoted(files.newDatabaseName) +
                                   " " + quoted(files.infoPath);
    if (runner_.run(gostwickPath_, importLine) != 0) {
        ui.showMessage(kGostwickFailedMessage);
        return;
    }

    static_cast<void>(deleteFile(files.csvPath));
    static_cast<void>(deleteFile(files.infoPath));
    ui.showMessage(upgradeCompletedMessage(files.chosenFileName));
}

}  // namespace quillon
