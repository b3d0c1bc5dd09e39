// Shared test helpers: a temporary folder per test, whole-file reads and writes, hex text for
// short byte strings, and a user interface that follows a script and records what it was shown.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UserInterface.h"

namespace quillon::test {

// A fresh folder under the system's temporary folder, removed again by the destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path(std::string_view name) const { return (root_ / name).string(); }
    const std::filesystem::path& root() const { return root_; }

  private:
    std::filesystem::path root_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);
bool fileExists(const std::string& path);

// A program run in folder with the given arguments and standard input, with no display in its
// environment: its exit code and what it wrote to standard error. Runs may overlap (from several
// threads), and one that takes over a minute is ended (exit code 124).
struct ProgramRun {
    int exitCode;
    std::string errorOutput;
};
struct ProgramSetting {
    std::string input;                     // standard input
    std::vector<std::string> environment;  // NAME=VALUE added to the environment
    std::string shellSetup;                // shell commands run first ("ulimit -f 1;")
};
ProgramRun runProgram(const std::filesystem::path& folder, const std::string& program,
                      const std::vector<std::string>& arguments, const std::string& input = "");
ProgramRun runProgram(const std::filesystem::path& folder, const std::string& program,
                      const std::vector<std::string>& arguments, const ProgramSetting& setting);

// The names in a folder, sorted.
std::vector<std::string> filesIn(const std::filesystem::path& folder);

// "00 1A ff" (spaces optional) to bytes, and bytes to "001AFF".
std::string fromHex(std::string_view hex);
std::string toHex(std::string_view bytes);

class ScriptedUserInterface : public UserInterface {
  public:
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    std::optional<std::string> askDatabaseName() override {
        ++nameRequests;
        if (onNameRequest) {
            onNameRequest();
        }
        if (names.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> name = names.front();
        names.pop_front();
        return name;
    }
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override {
        filters.emplace_back(filter);
        if (files.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> file = files.front();
        files.pop_front();
        return file;
    }
    bool confirm(std::string_view question) override {
        questions.emplace_back(question);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showOnConsole(std::string_view text) override { consoleMessages.emplace_back(text); }

    std::vector<std::string> messages;
    std::deque<std::optional<std::string>> names;  // answers to the name request, in order
    int nameRequests = 0;
    std::deque<std::optional<std::string>> files;  // answers to the file choice; nullopt cancels
    std::vector<std::string> filters;              // the filter of each file choice
    std::deque<bool> answers;                      // answers to questions; No when none is left
    std::vector<std::string> questions;
    std::vector<std::string> consoleMessages;  // batch reports echoed to standard error
    // Runs at each name request: the one moment between the two passes over the CSV.
    std::function<void()> onNameRequest;
};

}  // namespace quillon::test

#include "database/TavloLayout.h"

namespace quillon::test {

// A database in Quillon's layout: records are lists of raw field values (lengths are worked
// out); attributes, when given, set each record-list entry's attribute byte. Deleted records
// still get a list entry but no data, as the reader assumes.
std::string buildDatabase(const AppInfo& info, const std::vector<std::vector<std::string>>& records,
                          const std::vector<uint8_t>& attributes = {});

// An AppInfo with the defaults and the given field names.
AppInfo appInfoWithFields(const std::vector<std::string>& names);

}  // namespace quillon::test

#include "legacy/Tavlo3Layout.h"

namespace quillon::test {

// A Tavlo 3.x database as ferrand.exe reads it; records are lists of raw field values.
std::string buildTavlo3Database(const tavlo3::AppInfo3& info,
                                const std::vector<std::vector<std::string>>& records,
                                const std::vector<uint8_t>& attributes = {});

// A small 3.x database of three fields (text, text of type 5, binary), two records and one
// deleted entry, with a popup list; firstFieldName replaces "Name" when given. Next to it, what
// ferrand.exe makes of it: the CSV and the older information file.
std::string sampleTavlo3Database(const std::string& firstFieldName = "Name");
inline constexpr std::string_view kSampleTavlo3Csv =
    "\"Name\",\"Phone\",\"Photo\"\r\n"
    "\"Ann\",\"555\",\"01AB\"\r\n"
    "\"Bob 'B'\",\"line break\",\"\"\r\n";
inline constexpr std::string_view kSampleTavlo3OldInfo =
    "1 5 68 \r\n80 40 60 \r\n100\r\n2\r\n1\r\n3\r\npopupPhone\r\nhome\r\nwork\r\n";

}  // namespace quillon::test
