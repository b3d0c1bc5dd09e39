// Command-line parsing and batch start-up.
#include "ui/CommandLine.h"

#include "convert/CsvToPdb.h"
#include "convert/PdbToCsv.h"
#include "ui/ReportMessage.h"

namespace quillon {

std::string TakeArgument(std::string_view commandLine, size_t& position) {
    while (position < commandLine.size() && commandLine[position] == ' ') {
        ++position;
    }
    if (position == commandLine.size()) {
        return {};
    }
    if (commandLine[position] == '"') {
        const size_t start = position + 1;
        const size_t close = commandLine.find('"', start);
        if (close == std::string_view::npos) {
            position = commandLine.size();
            return std::string(commandLine.substr(start));
        }
        position = close + 1;
        return std::string(commandLine.substr(start, close - start));
    }
    const size_t start = position;
    const size_t space = commandLine.find(' ', start);
    position = space == std::string_view::npos ? commandLine.size() : space;
    return std::string(commandLine.substr(start, position - start));
}

namespace {

constexpr int kExitConverted = 0;
constexpr int kExitFailed = 1;
constexpr int kExitNotUnderstood = 2;

constexpr std::string_view kNotUnderstood = "Error - The command line is not understood: ";

bool onlySpacesFrom(std::string_view commandLine, size_t position) {
    return commandLine.find_first_not_of(' ', position) == std::string_view::npos;
}

// Fills job from the arguments after the mode; an empty text when the line is understood, else
// the reason it is not.
std::string takeModeArguments(char mode, std::string_view commandLine, size_t& position,
                              DatabaseJob& job) {
    if (mode == '1') {
        job.csvPath = TakeArgument(commandLine, position);
        job.pdbPath = TakeArgument(commandLine, position);
        job.databaseName = TakeArgument(commandLine, position);
        job.infoPath = TakeArgument(commandLine, position);
        if (job.csvPath.empty() || job.pdbPath.empty()) {
            return "mode 1 needs a csv file and a pdb file";
        }
    } else {
        job.pdbPath = TakeArgument(commandLine, position);
        job.csvPath = TakeArgument(commandLine, position);
        job.infoPath = TakeArgument(commandLine, position);
        if (job.pdbPath.empty() || job.csvPath.empty()) {
            return "mode 2 needs a pdb file and a csv file";
        }
    }
    // More arguments than the mode takes usually mean a path with spaces that lost its quotes;
    // taking the pieces as file names could write over a file the user never named.
    if (!onlySpacesFrom(commandLine, position)) {
        return std::string("more arguments than mode ") + mode + " takes";
    }
    return {};
}

}  // namespace

int BatchExitCode(BatchResult result) {
    switch (result) {
        case BatchResult::Converted:
            return kExitConverted;
        case BatchResult::Failed:
            return kExitFailed;
        case BatchResult::NotUnderstood:
            break;
    }
    return kExitNotUnderstood;
}

StartMode RunCommandLine(std::string_view commandLine, DatabaseJob& job, UserInterface& ui,
                         BatchResult* result) {
    BatchResult ignored = BatchResult::NotUnderstood;
    BatchResult& outcome = result != nullptr ? *result : ignored;
    outcome = BatchResult::NotUnderstood;
    size_t position = commandLine.find_first_not_of(' ');
    if (position == std::string_view::npos) {
        return StartMode::Interactive;
    }
    job.batchMode = true;
    job.delimiter = ',';
    // The mode is told by the first character; an argument that merely starts with 1 or 2
    // ("12", "2x") is a mistake, not a mode.
    const char mode = commandLine[position];
    if ((mode != '1' && mode != '2') || TakeArgument(commandLine, position).size() != 1) {
        ui.showOnConsole(std::string(kNotUnderstood) + "the first argument must be 1 or 2");
        return StartMode::Batch;
    }
    if (const std::string reason = takeModeArguments(mode, commandLine, position, job);
        !reason.empty()) {
        ui.showOnConsole(std::string(kNotUnderstood) + reason);
        return StartMode::Batch;
    }
    job.useInfoFile = !job.infoPath.empty();
    RemoveBatchErrorFile();
    const bool converted = mode == '1' ? ConvertCsvToPdb(job, ui) : ConvertPdbToCsv(job, ui);
    outcome = converted ? BatchResult::Converted : BatchResult::Failed;
    return StartMode::Batch;
}

std::optional<std::string> RebuildCommandLine(std::span<const std::string> arguments) {
    std::string line;
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument.find('"') != std::string::npos) {
            return std::nullopt;
        }
        if (index > 0) {
            line.push_back(' ');
        }
        if (argument.empty() || argument.find(' ') != std::string::npos) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
    }
    return line;
}

StartMode RunArguments(std::span<const std::string> arguments, UserInterface& ui,
                       BatchResult* result) {
    DatabaseJob job;
    const std::optional<std::string> line = RebuildCommandLine(arguments);
    if (!line) {
        ui.showOnConsole(std::string(kNotUnderstood) +
                         "an argument holds a double quote, which the command line cannot pass");
        if (result != nullptr) {
            *result = BatchResult::NotUnderstood;
        }
        return StartMode::Batch;
    }
    return RunCommandLine(*line, job, ui, result);
}

}  // namespace quillon
