// Real pages written by others: Debian's bash reference (one large page with thousands of links
// to its own anchors) and the Debian reference manual (an index linking to its chapters). The
// pages of the start page's folder are loaded into the in-memory callbacks under their real paths;
// each site is converted with link depths 1 and 2 and its link table is read back. The cases skip
// when the package is not installed.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "HtmlHarness.h"
#include "html/HtmlConversion.h"

namespace skerrit::testing {
namespace {

struct TestOpener {
    MemoryCallbacks* callbacks;
    int opened = 0;
};

FileObject openPage(PageOpener* opener, const char* path, int32_t) {
    auto& self = *reinterpret_cast<TestOpener*>(opener);
    const ConverterCallbacks& table = self.callbacks->table();
    FileObject file = table.openFile(table.context, path, kOpenRead);
    if (file != nullptr)
        ++self.opened;
    return file;
}

void closePage(PageOpener* opener, FileObject file) {
    const ConverterCallbacks& table = reinterpret_cast<TestOpener*>(opener)->callbacks->table();
    if (file != nullptr)
        table.closeFile(table.context, file);
}

struct SiteResult {
    int32_t result = -1;
    int pagesOpened = 0;
    size_t textBytes = 0;
    int32_t textFiles = 0;
    size_t linkEntries = 0;
    bool targetsInsideText = true;
};

SiteResult convertSite(const std::filesystem::path& start, int32_t depth) {
    MemoryCallbacks callbacks;
    callbacks.disableProgress();
    for (const auto& entry : std::filesystem::directory_iterator(start.parent_path())) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        callbacks.addFile(entry.path().string(), Bytes(std::istreambuf_iterator<char>(in),
                                                       std::istreambuf_iterator<char>()));
    }
    const ConverterCallbacks& table = callbacks.table();
    TestOpener opener{&callbacks};
    HtmlJob job{};
    job.openPage = &openPage;
    job.closePage = &closePage;
    job.pageOpener = reinterpret_cast<PageOpener*>(&opener);
    job.callbacks = &table;
    job.textStream = table.openFile(table.context, "text", kOpenCreate);
    job.sectionDataStream = table.openFile(table.context, "data", kOpenCreate);
    job.sectionIndexStream = table.openFile(table.context, "index", kOpenCreate);
    job.maxLinkDepth = depth;

    SiteResult site;
    site.result = convertHtml(job, start.string().c_str());
    site.pagesOpened = opener.opened;
    site.textBytes = callbacks.file("text").size();
    site.textFiles = job.textFileCount;
    const Bytes& data = callbacks.file("data");
    const Bytes& index = callbacks.file("index");
    for (int32_t record = job.linkFirst; record < job.linkFirst + job.linkCount; ++record) {
        const uint8_t* block =
            data.data() + loadLittleEndian32(index.data() + 4 * static_cast<size_t>(record));
        const size_t n = loadBigEndian16(block + 4);
        const uint8_t* targets = block + 6 + 2 * n + 2 + 2 * n;
        const uint8_t* lengths = block + 6 + 2 * n + 2;
        for (size_t i = 0; i < n; ++i) {
            if (lengths[i] == 0)
                continue;  // a filler across a long gap
            if (loadBigEndian32(targets + 4 * i) > site.textBytes)
                site.targetsInsideText = false;
            ++site.linkEntries;
        }
    }
    EXPECT_EQ(callbacks.liveAllocations(), 0);
    for (FileObject stream : {job.textStream, job.sectionDataStream, job.sectionIndexStream}) {
        table.closeFile(table.context, stream);
    }
    std::printf("%s -d%d: %d pages, %zu text bytes, %d text files, %zu link entries\n",
                start.filename().c_str(), depth, site.pagesOpened, site.textBytes, site.textFiles,
                site.linkEntries);
    return site;
}

TEST(HtmlRealPages, BashReferenceResolvesItsInternalLinks) {
    const std::filesystem::path start = "/usr/share/doc/bash/bashref.html";
    if (!std::filesystem::exists(start))
        GTEST_SKIP() << "bash-doc is not installed";
    for (int32_t depth : {1, 2}) {
        const SiteResult site = convertSite(start, depth);
        EXPECT_EQ(site.result, 0);
        EXPECT_EQ(site.pagesOpened, 1);
        EXPECT_GT(site.textBytes, 100000u);
        EXPECT_GT(site.linkEntries, 1000u);
        EXPECT_TRUE(site.targetsInsideText);
    }
}

TEST(HtmlRealPages, DebianReferenceConvertsItsChapters) {
    const std::filesystem::path start = "/usr/share/debian-reference/index.en.html";
    if (!std::filesystem::exists(start))
        GTEST_SKIP() << "debian-reference-en is not installed";
    const SiteResult shallow = convertSite(start, 1);
    EXPECT_EQ(shallow.result, 0);
    EXPECT_GT(shallow.pagesOpened, 10);
    EXPECT_EQ(shallow.textFiles, shallow.pagesOpened);
    EXPECT_GT(shallow.linkEntries, 100u);
    EXPECT_TRUE(shallow.targetsInsideText);

    const SiteResult deeper = convertSite(start, 2);
    EXPECT_EQ(deeper.result, 0);
    EXPECT_GE(deeper.pagesOpened, shallow.pagesOpened);
    EXPECT_GE(deeper.linkEntries, shallow.linkEntries);
    EXPECT_TRUE(deeper.targetsInsideText);
}

}  // namespace
}  // namespace skerrit::testing
