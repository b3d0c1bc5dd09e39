// Terminal stand-ins for the message box, the database-name request and the file-open choice.
#include "ui/TerminalUserInterface.h"

#include <string>

namespace quillon {

namespace {

// The dialog's edit box holds at most 30 characters.
constexpr size_t kMaxTypedNameLength = 30;

std::optional<std::string> readLine(std::FILE* input) {
    std::string line;
    int c = std::fgetc(input);
    if (c == EOF) {
        return std::nullopt;
    }
    for (; c != EOF && c != '\n'; c = std::fgetc(input)) {
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace

void TerminalUserInterface::showMessage(std::string_view text) {
    std::fprintf(output_, "%s: %.*s\n", programName_, static_cast<int>(text.size()), text.data());
    std::fflush(output_);
}

std::optional<std::string> TerminalUserInterface::askDatabaseName() {
    for (;;) {
        std::fputs("Name for the database in Tavlo: ", output_);
        std::fflush(output_);
        std::optional<std::string> name = readLine(input_);
        if (!name || name->size() <= kMaxTypedNameLength) {
            return name;
        }
        std::fprintf(output_, "%s: at most 30 characters, please.\n", programName_);
    }
}

std::optional<std::string> TerminalUserInterface::chooseFileToOpen(std::string_view filter) {
    std::fprintf(output_, "File to open (%.*s): ", static_cast<int>(filter.size()), filter.data());
    std::fflush(output_);
    std::optional<std::string> path = readLine(input_);
    if (path && path->empty()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace quillon
