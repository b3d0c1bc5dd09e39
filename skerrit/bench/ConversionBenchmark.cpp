// Whole conversions as the console program runs them: convertDocument with the program's own
// callbacks on real files in a scratch folder of the temporary directory, from opening the source
// to the finished database. Inputs, generated once before any timing:
//   - 20 MB of English-like text;
//   - one 10 MB HTML page (styles, lists, tables, rules, links to its own anchors);
//   - a site of 1000 small pages linked breadth first;
// and, for each HTML input, the same bytes converted as text: the page with its leading "<"
// blanked (so that it is not taken for HTML) and the site's pages joined into one file. The
// summary after the runs gives each HTML conversion's speed beside the text path's on its bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/GeneratedSite.h"
#include "cli/ConsoleCallbacks.h"
#include "engine/ConversionRequest.h"
#include "engine/ConvertDocument.h"
#include "engine/ResultCodes.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kTextBytes = 20u * 1024u * 1024u;
constexpr size_t kPageBytes = 10u * 1024u * 1024u;
constexpr size_t kSitePages = 1000;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The scratch folder and the inputs in it, removed when the program ends.
class Inputs {
  public:
    Inputs() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/skerrit-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder_ = pattern;
        add("text", "text.txt", skerrit::testing::makeEnglishLikeText(kTextBytes));

        std::string page = skerrit::bench::largePage(kPageBytes);
        add("page", "page.htm", page);
        page[0] = ' ';
        add("page as text", "page.txt", page);

        const std::vector<std::string> site = skerrit::bench::smallSite(kSitePages);
        fs::create_directory(folder_ / "site");
        std::string joined;
        for (size_t i = 0; i < site.size(); ++i) {
            writeFile(folder_ / "site" / skerrit::bench::sitePageName(i), site[i]);
            joined += site[i];
        }
        paths_["site"] = folder_ / "site" / skerrit::bench::sitePageName(0);
        sizes_["site"] = joined.size();
        joined[0] = ' ';
        add("site as text", "site.txt", joined);
    }
    ~Inputs() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    Inputs(const Inputs&) = delete;
    Inputs& operator=(const Inputs&) = delete;

    std::string path(const std::string& input) const { return paths_.at(input).string(); }
    size_t size(const std::string& input) const { return sizes_.at(input); }
    std::string destination() const { return (folder_ / "out.pdb").string(); }

  private:
    void add(const std::string& input, const std::string& name, const std::string& bytes) {
        writeFile(folder_ / name, bytes);
        paths_[input] = folder_ / name;
        sizes_[input] = bytes.size();
    }

    fs::path folder_;
    std::map<std::string, fs::path> paths_;
    std::map<std::string, size_t> sizes_;
};

Inputs* inputs = nullptr;
std::map<std::string, double> megabytesPerSecond;

void convert(benchmark::State& state, const std::string& input) {
    const skerrit::ConverterCallbacks callbacks = skerrit::consoleCallbacksTemplate();
    const std::string source = inputs->path(input);
    const std::string destination = inputs->destination();
    const skerrit::ConversionRequest request{
        &callbacks,       source.c_str(),   destination.c_str(), "Benchmark",     0, 0, 0,
        skerrit::kNotSet, skerrit::kNotSet, skerrit::kNotSet,    skerrit::kNotSet};
    for (auto _ : state) {
        if (skerrit::convertDocument(request) != skerrit::kResultOk)
            state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(inputs->size(input)));
    state.counters["output_bytes"] = static_cast<double>(std::filesystem::file_size(destination));
}

// Wall time: the conversion's file and temporary-file traffic is part of its cost.
void record(benchmark::State& state, const std::string& input) {
    const auto start = std::chrono::steady_clock::now();
    convert(state, input);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    megabytesPerSecond[input] = static_cast<double>(inputs->size(input)) *
                                static_cast<double>(state.iterations()) / (1024.0 * 1024.0) /
                                seconds.count();
}

void BM_Text20MB(benchmark::State& state) {
    record(state, "text");
}
void BM_HtmlPage10MB(benchmark::State& state) {
    record(state, "page");
}
void BM_HtmlPage10MBAsText(benchmark::State& state) {
    record(state, "page as text");
}
void BM_HtmlSite1000Pages(benchmark::State& state) {
    record(state, "site");
}
void BM_HtmlSite1000PagesAsText(benchmark::State& state) {
    record(state, "site as text");
}

BENCHMARK(BM_Text20MB)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_HtmlPage10MB)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_HtmlPage10MBAsText)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_HtmlSite1000Pages)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_HtmlSite1000PagesAsText)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Inputs generated;
    inputs = &generated;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto figure = [](const char* input) {
        const auto found = megabytesPerSecond.find(input);
        return found == megabytesPerSecond.end() ? 0.0 : found->second;
    };
    std::printf(
        "Summary (MB/s, wall time): text %.1f; 10 MB page %.1f, as text %.1f; "
        "1000-page site (%.1f MB) %.1f, as text %.1f\n",
        figure("text"), figure("page"), figure("page as text"),
        static_cast<double>(generated.size("site")) / (1024.0 * 1024.0), figure("site"),
        figure("site as text"));
    inputs = nullptr;
    return 0;
}
