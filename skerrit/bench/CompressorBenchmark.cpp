// Speed and size of the text-part compressor on 20 MB of English-like text, against zlib's
// deflate at level 9 compressing the same 4096-byte chunks one by one (each chunk its own raw
// stream, as each text record is decoded on its own). The writer runs on in-memory streams so
// that the figure is the compressor's, not the disk's. After the runs a summary line gives the
// ratios of processor time and size.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "encoder/DatabaseWriter.h"
#include "engine/ConverterCallbacks.h"
#include "engine/ResultCodes.h"
#include "tests/support/EnglishLikeText.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTextSize = 20u * 1024u * 1024u;
constexpr uint32_t kChunkSize = 4096;

const std::string& benchmarkText() {
    static const std::string text = skerrit::testing::makeEnglishLikeText(kTextSize);
    return text;
}

// The smallest callback table that holds files in memory; temporary files only.
struct MemoryFile {
    Bytes bytes;
    size_t position = 0;
};

struct MemoryStreams {
    std::vector<std::unique_ptr<MemoryFile>> files;
};

skerrit::FileObject createTemp(void* context) {
    auto& streams = *static_cast<MemoryStreams*>(context);
    streams.files.push_back(std::make_unique<MemoryFile>());
    return streams.files.back().get();
}
skerrit::FileObject openNothing(void*, const char*, int32_t) {
    return nullptr;
}
int32_t closeFile(void*, skerrit::FileObject) {
    return 1;
}
uint32_t seekFile(void*, skerrit::FileObject file, int32_t offset, int32_t origin) {
    auto& memory = *static_cast<MemoryFile*>(file);
    int64_t base = 0;
    if (origin == skerrit::kSeekFromCurrent)
        base = static_cast<int64_t>(memory.position);
    if (origin == skerrit::kSeekFromEnd)
        base = static_cast<int64_t>(memory.bytes.size());
    const int64_t target = base + offset;
    if (target < 0)
        return skerrit::kSeekFailed;
    memory.position = static_cast<size_t>(target);
    return static_cast<uint32_t>(target);
}
int32_t readFile(void*, skerrit::FileObject file, uint32_t count, void* buffer) {
    auto& memory = *static_cast<MemoryFile*>(file);
    const size_t available =
        memory.position < memory.bytes.size() ? memory.bytes.size() - memory.position : 0;
    const size_t taken = count < available ? count : available;
    if (taken > 0)
        std::memcpy(buffer, memory.bytes.data() + memory.position, taken);
    memory.position += taken;
    return static_cast<int32_t>(taken);
}
int32_t writeFile(void*, skerrit::FileObject file, uint32_t count, const void* buffer) {
    auto& memory = *static_cast<MemoryFile*>(file);
    if (memory.bytes.size() < memory.position + count)
        memory.bytes.resize(memory.position + count);
    std::memcpy(memory.bytes.data() + memory.position, buffer, count);
    memory.position += count;
    return static_cast<int32_t>(count);
}
void* allocate(void*, uint32_t size) {
    return ::operator new(size);
}
int32_t release(void*, void* block) {
    ::operator delete(block);
    return 1;
}
int32_t goOn(void*, int32_t, const void*) {
    return 1;
}

// Processor time, not wall time: the machine the figures come from is shared.
double cpuSecondsSince(std::clock_t start) {
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

struct Summary {
    double compressorSeconds = 0;
    size_t compressorBytes = 0;
    double zlibSeconds = 0;
    size_t zlibBytes = 0;
};
Summary summary;

void BM_WriteDatabase(benchmark::State& state) {
    const std::string& text = benchmarkText();
    double seconds = 0;
    size_t outputSize = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoryStreams streams;
        const skerrit::ConverterCallbacks callbacks{&streams,  &openNothing, &closeFile,  &seekFile,
                                                    &readFile, &writeFile,   &createTemp, &allocate,
                                                    &release,  &goOn};
        auto* textStream = static_cast<MemoryFile*>(createTemp(&streams));
        textStream->bytes.assign(text.begin(), text.end());
        skerrit::FileObject scratch = createTemp(&streams);
        auto* destination = static_cast<MemoryFile*>(createTemp(&streams));
        state.ResumeTiming();

        const std::clock_t start = std::clock();
        const int32_t result =
            skerrit::writeDatabase(callbacks, textStream, scratch, destination, "Benchmark",
                                   skerrit::kTextChunkSize, skerrit::kChunksPerCodeTable, 0);
        seconds += cpuSecondsSince(start);
        if (result != skerrit::kResultOk)
            state.SkipWithError("writeDatabase failed");
        outputSize = destination->bytes.size();
        benchmark::DoNotOptimize(destination->bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["output_bytes"] = static_cast<double>(outputSize);
    state.counters["ratio_percent"] =
        100.0 * static_cast<double>(outputSize) / static_cast<double>(text.size());
    summary.compressorSeconds = seconds / static_cast<double>(state.iterations());
    summary.compressorBytes = outputSize;
}

void BM_ZlibDeflate9Chunks(benchmark::State& state) {
    const std::string& text = benchmarkText();
    Bytes output(compressBound(kChunkSize) + 64);
    double seconds = 0;
    size_t totalSize = 0;
    for (auto _ : state) {
        z_stream stream{};
        if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            state.SkipWithError("deflateInit2 failed");
            break;
        }
        totalSize = 0;
        const std::clock_t start = std::clock();
        for (size_t offset = 0; offset < text.size(); offset += kChunkSize) {
            const size_t length = std::min<size_t>(kChunkSize, text.size() - offset);
            deflateReset(&stream);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + offset));
            stream.avail_in = static_cast<uInt>(length);
            stream.next_out = output.data();
            stream.avail_out = static_cast<uInt>(output.size());
            if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
                state.SkipWithError("deflate failed");
            totalSize += output.size() - stream.avail_out;
        }
        seconds += cpuSecondsSince(start);
        deflateEnd(&stream);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["output_bytes"] = static_cast<double>(totalSize);
    state.counters["ratio_percent"] =
        100.0 * static_cast<double>(totalSize) / static_cast<double>(text.size());
    summary.zlibSeconds = seconds / static_cast<double>(state.iterations());
    summary.zlibBytes = totalSize;
}

BENCHMARK(BM_WriteDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ZlibDeflate9Chunks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmarkText();  // generated once, outside every timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (summary.compressorSeconds > 0 && summary.zlibSeconds > 0) {
        const double megabytes = static_cast<double>(kTextSize) / (1024.0 * 1024.0);
        std::printf(
            "Summary on %.0f MB: compressor %.1f MB/s, %zu bytes (whole database); zlib -9 per "
            "chunk %.1f MB/s, %zu bytes; time ratio compressor/zlib %.2f, size ratio %.3f\n",
            megabytes, megabytes / summary.compressorSeconds, summary.compressorBytes,
            megabytes / summary.zlibSeconds, summary.zlibBytes,
            summary.compressorSeconds / summary.zlibSeconds,
            static_cast<double>(summary.compressorBytes) / static_cast<double>(summary.zlibBytes));
    }
    return 0;
}
