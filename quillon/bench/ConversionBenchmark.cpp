// Both conversions on a CSV of 32,000 rows of 10 fields (the most records a database may hold),
// through real files in a temporary folder. Items per second are rows per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "convert/CsvToPdb.h"
#include "convert/PdbToCsv.h"
#include "ui/UserInterface.h"

namespace {

constexpr int kRows = 32000;
constexpr int kFields = 10;

class SilentUserInterface : public quillon::UserInterface {
  public:
    void showMessage(std::string_view text) override {
        std::fprintf(stderr, "unexpected message: %.*s\n", static_cast<int>(text.size()),
                     text.data());
    }
    std::optional<std::string> askDatabaseName() override { return "Bench"; }
    std::optional<std::string> chooseFileToOpen(std::string_view) override { return {}; }
};

struct Files {
    Files() {
        folder = std::filesystem::temp_directory_path() / "quillon-bench";
        std::filesystem::create_directories(folder);
        std::ofstream csv(path("rows.csv"), std::ios::binary);
        for (int field = 0; field < kFields; ++field) {
            csv << (field > 0 ? "," : "") << "Field" << field;
        }
        csv << "\r\n";
        // Typical address-book values: short texts, some quoted with a delimiter inside.
        for (int row = 0; row < kRows; ++row) {
            csv << "\"Smith, " << row << "\",Ann," << 5550000 + row
                << ",\"12 High Street\",Springfield,\"say \"\"hi\"\"\",," << row % 97
                << ",notes about this person,2024-01-" << 10 + row % 20 << "\r\n";
        }
    }
    ~Files() { std::filesystem::remove_all(folder); }
    std::string path(const char* name) const { return (folder / name).string(); }

    std::filesystem::path folder;
};

Files& files() {
    static Files instance;
    return instance;
}

quillon::DatabaseJob job() {
    quillon::DatabaseJob settings;
    settings.csvPath = files().path("rows.csv");
    settings.pdbPath = files().path("rows.pdb");
    settings.databaseName = "Bench";
    settings.useInfoFile = false;
    settings.batchMode = true;  // no success message
    return settings;
}

void CsvToDatabase(benchmark::State& state) {
    SilentUserInterface ui;
    for (auto _ : state) {
        quillon::DatabaseJob settings = job();
        quillon::ConvertCsvToPdb(settings, ui);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["database bytes"] =
        static_cast<double>(std::filesystem::file_size(files().path("rows.pdb")));
}
BENCHMARK(CsvToDatabase)->Unit(benchmark::kMillisecond);

void DatabaseToCsv(benchmark::State& state) {
    SilentUserInterface ui;
    quillon::DatabaseJob settings = job();
    quillon::ConvertCsvToPdb(settings, ui);
    for (auto _ : state) {
        settings.csvPath = files().path("back.csv");
        quillon::ConvertPdbToCsv(settings, ui);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(DatabaseToCsv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
