// Skerrit's main sequence. Every check before the conversion prints one message and ends with
// status 1, having created nothing. Once the driver has run, the destination is put in place only
// when the conversion succeeded; the closing message, the lines after it and the exit status
// (ClosingReport.h) tell how it ended.
#include "cli/SkerritMain.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/ClosingReport.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleCallbacks.h"
#include "cli/ProgressDisplay.h"
#include "cli/SourcePath.h"
#include "encoder/DocReader.h"
#include "engine/ConvertDocument.h"
#include "engine/ResultCodes.h"
#include "html/HtmlConversion.h"
#include "htmldoc/PathRules.h"

namespace skerrit {

namespace {

constexpr int32_t kMaxOptionCount = 9999;
// The database name holds 31 characters; a longer page title would be cut there anyway.
constexpr int32_t kHtmlTitleLimit = 31;

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

bool outsideCountRange(int32_t value) {
    return value != kNotSet && (value < 0 || value > kMaxOptionCount);
}

// The source name cut into drive and directory (kept together, as typed) and the base name
// without its extension. Either separator ends the directory.
struct NameParts {
    std::string driveAndDirectory;
    std::string baseName;
};

NameParts splitSourceName(const std::string& name) {
    std::size_t fileStart = 0;
    if (name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':')
        fileStart = 2;
    for (std::size_t i = fileStart; i < name.size(); ++i) {
        if (isSeparator(name[i]))
            fileStart = i + 1;
    }
    std::string file = name.substr(fileStart);
    const std::size_t dot = file.rfind('.');
    if (dot != std::string::npos)
        file.resize(dot);
    return NameParts{name.substr(0, fileStart), file};
}

// The first of: the -i text, the Doc database name, the HTML title, the base name.
std::string chooseTitle(const Settings& settings, const ConverterCallbacks& callbacks,
                        const NameParts& parts) {
    if (settings.titleGiven)
        return settings.title;
    std::array<char, kPalmNameSize + 1> docName{};
    if (readDocTitle(callbacks, settings.sourceName.c_str(), docName.data()) &&
        docName[0] != '\0') {
        return docName.data();
    }
    std::array<char, kHtmlTitleLimit + 1> htmlTitle{};
    if (readHtmlTitle(callbacks, settings.sourceName.c_str(), htmlTitle.data(), kHtmlTitleLimit) !=
            0 &&
        htmlTitle[0] != '\0') {
        return htmlTitle.data();
    }
    return parts.baseName;
}

void echoSettings(const Settings& settings, const std::string& destination,
                  const std::string& title) {
    std::printf("\nSource      : %s\n", settings.sourceName.c_str());
    std::printf("Destination : %s\n", destination.c_str());
    std::printf("Title       : %s\n", title.c_str());
    if (settings.removeCR != 0)
        std::printf("Option      : Remove CR characters\n");
    if (settings.removeLF != 0)
        std::printf("Option      : Remove LF characters\n");
    if (settings.convertCRtoLF != 0) {
        std::printf("Option      : Convert CR characters to LF characters\n");
    }
    if (settings.singleBreakSpaces != kNotSet) {
        std::printf("Option      : Converting single line breaks to %d space(s)\n",
                    settings.singleBreakSpaces);
    }
    if (settings.tabLineBreaks != kNotSet) {
        std::printf("Option      : Converting tabs to %d line break(s)\n", settings.tabLineBreaks);
    } else if (settings.tabSpaces != kNotSet) {
        std::printf("Option      : Converting tabs to %d space(s)\n", settings.tabSpaces);
    }
    if (settings.maxLinkDepth >= 0) {
        std::printf("Option      : Following links to a maximum depth of %d\n",
                    settings.maxLinkDepth);
    }
    std::printf("\n");
}

bool destinationExists(const ConverterCallbacks& callbacks, const std::string& destination) {
    FileObject file = callbacks.openFile(callbacks.context, destination.c_str(), kOpenRead);
    if (file == nullptr)
        return false;
    static_cast<void>(callbacks.closeFile(callbacks.context, file));
    return true;
}

// The destination was written under a temporary name: a converted one takes the place of the
// named file, anything else is removed and the named file stays as it was.
int32_t settleOutput(int32_t result) {
    if (result != kResultOk) {
        discardOutput();
        return result;
    }
    return publishOutput() ? kResultOk : kResultConversionFailed;
}

int stop(const char* message) {
    std::fputs(message, stdout);
    return kExitStoppedBeforeConverting;
}

int usage() {
    showUsage(stdout, console::talkingToTerminal());
    return kExitStoppedBeforeConverting;
}

// Asked for by name, help and the version are the run's whole work: status 0, no pause.
int answerInformationRequest(InformationRequest request) {
    if (request == InformationRequest::Help)
        showUsage(stdout, false);
    else
        showVersion(stdout);
    return kExitConverted;
}

}  // namespace

int runSkerrit(int argc, const char* const* argv) {
    if (argc <= 1)
        return usage();
    const Settings settings = readArguments(argc, argv, stdout);
    if (settings.information != InformationRequest::None)
        return answerInformationRequest(settings.information);
    if (settings.usageWanted)
        return usage();
    if (!settings.sourceGiven)
        return stop("Error: You must specify a source file name.\n");
    if (outsideCountRange(settings.singleBreakSpaces)) {
        return stop("Error: The single line break to space count must be between 0 and 9999.\n");
    }
    if (settings.tabLineBreaks != kNotSet) {
        if (settings.tabSpaces != kNotSet) {
            return stop("Error: You may only use one of the tab conversion options.\n");
        }
        if (outsideCountRange(settings.tabLineBreaks)) {
            return stop("Error: The tab to line break count must be between 0 and 9999.\n");
        }
    }
    if (outsideCountRange(settings.tabSpaces)) {
        return stop("Error: The tab to space count must be between 0 and 9999.\n");
    }

    ConverterCallbacks callbacks = consoleCallbacksTemplate();
    const NameParts parts = splitSourceName(settings.sourceName);
    const std::string destination = settings.destinationGiven
                                        ? settings.destinationName
                                        : parts.driveAndDirectory + parts.baseName + ".PDB";
    const std::string title = chooseTitle(settings, callbacks, parts);
    echoSettings(settings, destination, title);

    // Two names for one file would have the conversion truncate its own source.
    if (equalIgnoringCase(settings.sourceName, destination) ||
        console::sameExistingFile(settings.sourceName.c_str(), destination.c_str())) {
        return stop("Error: The source and destination file names are identical.\n");
    }
    std::array<char, kPathCapacity> sourcePath{};
    if (!fullSourcePath(settings.sourceName, sourcePath)) {
        return stop("Error: Failed to get full path name of source.\n");
    }
    if (!settings.forceOverwrite && destinationExists(callbacks, destination)) {
        std::printf("%s already exists.  Overwrite? (y/n) ", destination.c_str());
        const int answer = console::readCharacter();
        if (answer != 'y' && answer != 'Y')
            return stop("Terminating conversion.\n");
    }

    ProgressDisplay display{stdout, nullptr, -1};
    const ConversionRequest request{&callbacks,
                                    sourcePath.data(),
                                    destination.c_str(),
                                    title.c_str(),
                                    settings.removeCR,
                                    settings.removeLF,
                                    settings.convertCRtoLF,
                                    settings.singleBreakSpaces,
                                    settings.tabLineBreaks,
                                    settings.tabSpaces,
                                    settings.maxLinkDepth};
    callbacks.context = &display;
    callbacks.progress = &consoleProgress;
    resetProgressDisplay(display);
    std::printf("\n     Hit <ESC> to cancel...\r");
    std::fflush(stdout);

    int32_t result = kResultOk;
    {
        const console::InterruptCleanup cleanup;
        {
            console::EscapeWatcher escape;
            display.escape = &escape;
            // The title lookups may have failed on their way; only the conversion's failures count.
            forgetSystemFailure();
            result = convertDocument(request);
            display.escape = nullptr;
        }
        result = settleOutput(result);
    }
    const ConversionOutcome outcome{result, settings.sourceName, destination, display.notices,
                                    lastSystemFailure()};
    std::printf("\n%s", closingReport(outcome).c_str());
    return exitStatusFor(result);
}

}  // namespace skerrit
