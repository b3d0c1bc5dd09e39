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

StartMode RunCommandLine(std::string_view commandLine, DatabaseJob& job, UserInterface& ui,
                         BatchResult* result) {
    BatchResult ignored = BatchResult::NothingRun;
    BatchResult& outcome = result != nullptr ? *result : ignored;
    outcome = BatchResult::NothingRun;
    size_t position = commandLine.find_first_not_of(' ');
    if (position == std::string_view::npos) {
        return StartMode::Interactive;
    }
    job.batchMode = true;
    job.delimiter = ',';
    const char mode = commandLine[position];
    if (mode == '1') {
        static_cast<void>(TakeArgument(commandLine, position));  // the mode argument itself
        job.csvPath = TakeArgument(commandLine, position);
        job.pdbPath = TakeArgument(commandLine, position);
        job.databaseName = TakeArgument(commandLine, position);
        job.infoPath = TakeArgument(commandLine, position);
        job.useInfoFile = !job.infoPath.empty();
        if (!job.csvPath.empty()) {
            outcome = ConvertCsvToPdb(job, ui) ? BatchResult::Succeeded : BatchResult::Failed;
        }
    } else if (mode == '2') {
        static_cast<void>(TakeArgument(commandLine, position));
        job.pdbPath = TakeArgument(commandLine, position);
        job.csvPath = TakeArgument(commandLine, position);
        job.infoPath = TakeArgument(commandLine, position);
        job.useInfoFile = !job.infoPath.empty();
        if (!job.pdbPath.empty()) {
            outcome = ConvertPdbToCsv(job, ui) ? BatchResult::Succeeded : BatchResult::Failed;
        }
    }
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
        job.batchMode = true;
        ReportMessage(job, ui,
                      "Error - An argument holds a double quote, which the command line cannot "
                      "pass");
        if (result != nullptr) {
            *result = BatchResult::Failed;
        }
        return StartMode::Batch;
    }
    return RunCommandLine(*line, job, ui, result);
}

}  // namespace quillon
