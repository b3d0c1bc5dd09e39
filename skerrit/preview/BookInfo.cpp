#include "preview/BookInfo.h"

#include <algorithm>
#include <cstdio>

#include "encoder/PalmDate.h"
#include "preview/BookPages.h"
#include "preview/HandheldCharacters.h"
#include "preview/TextPartReader.h"

namespace skerrit::preview {
namespace {

constexpr int kLabelWidth = 17;

class Report {
  public:
    void line(const std::string& label, const std::string& value) {
        std::string padded = label + ":";
        padded.resize(kLabelWidth, ' ');
        text_ += padded + value + "\n";
    }
    void raw(const std::string& line) { text_ += line + "\n"; }
    std::string take() { return std::move(text_); }

  private:
    std::string text_;
};

std::string counted(uint64_t count, const std::string& singular, const std::string& plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string percentOf(uint64_t part, uint64_t whole) {
    if (whole == 0)
        return "";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " (%.1f %% of the text)",
                  100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return buffer;
}

void describeHeader(const Book& book, Report& report) {
    report.line("Title", handheldTextToUtf8(book.header.name.data()));
    report.line("Database", "type " + handheldTextToUtf8(book.header.type.data()) + ", creator " +
                                handheldTextToUtf8(book.header.creator.data()) + ", version " +
                                std::to_string(book.header.version));
    report.line("Created", formatPalmDate(book.header.creationDate));
    report.line("Modified", formatPalmDate(book.header.modificationDate));
    report.line("Last backup", formatPalmDate(book.header.backupDate));
}

void describeGroups(const Book& book, Report& report) {
    struct Group {
        const char* label;
        SectionGroup group;
        std::string entries;
    };
    const uint32_t linkFillers =
        book.groupEntries[kGroupLinks] - static_cast<uint32_t>(book.links.size());
    const uint32_t ruleFillers =
        book.groupEntries[kGroupRules] - static_cast<uint32_t>(book.rules.size());
    const Group groups[] = {
        {"Style runs", kGroupStyleRuns, counted(book.styleRuns.size(), "run", "runs")},
        {"Links", kGroupLinks,
         counted(book.links.size(), "entry", "entries") + " and " +
             counted(linkFillers, "filler", "fillers")},
        {"Rules", kGroupRules,
         counted(book.rules.size(), "rule", "rules") + " and " +
             counted(ruleFillers, "filler", "fillers")},
        {"File boundaries", kGroupFileBoundaries, counted(book.files.size(), "file", "files")},
    };
    for (const Group& group : groups) {
        const SectionGroupRange range = book.headerRecord.groups[group.group];
        if (range.count == 0) {
            report.line(group.label, "none");
            continue;
        }
        report.line(group.label, counted(range.count, "record", "records") + " from record " +
                                     std::to_string(range.first) + ", " + group.entries);
    }
}

void describeFiles(const Book& book, Report& report) {
    const uint32_t fileCount = book.headerRecord.textFileCount;
    if (fileCount == 0) {
        report.line("Source files", "not recorded (text or Doc input)");
        return;
    }
    report.line("Source files", counted(fileCount, "file", "files") +
                                    " produced text (the database keeps where, not their names)");
    for (const BookPage& page : bookPages(book)) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "  page %-3u %u bytes from %u", page.number,
                      page.end - page.start, page.start);
        std::string line = numbers;
        line.resize(std::max<size_t>(line.size() + 2, 32), ' ');
        report.raw(line + handheldTextToUtf8(page.firstLine));
    }
}

std::string describeVaDo(const Book& book) {
    Report report;
    describeHeader(book, report);
    report.line("Converted", formatPalmDate(book.headerRecord.conversionDate));
    const TextPartCounts& part = book.textPart;
    const uint64_t extraRecords = book.header.numRecords - book.headerRecord.textPartRecords;
    report.line("Records", std::to_string(book.header.numRecords) + " in all: the header record, " +
                               counted(part.codeTables, "code table", "code tables") + ", " +
                               std::to_string(part.compressedRecords) + " compressed and " +
                               std::to_string(part.storedRecords) + " stored text records, " +
                               counted(extraRecords, "extra record", "extra records"));
    report.line("Text",
                counted(book.text.size(), "byte", "bytes") + " in " +
                    counted(part.compressedRecords + part.storedRecords, "chunk", "chunks") +
                    " of up to " + std::to_string(kTextChunkSize) + ", " +
                    std::to_string(book.headerRecord.recordsPerCodeTable) +
                    " chunks to a code table");
    report.line("Compressed", counted(part.recordBytes, "byte", "bytes") +
                                  " in the code table and text records" +
                                  percentOf(part.recordBytes, book.text.size()));
    report.line("File", counted(book.fileSize, "byte", "bytes"));
    describeGroups(book, report);
    describeFiles(book, report);
    return report.take();
}

std::string describeDoc(const Book& book) {
    Report report;
    describeHeader(book, report);
    const uint32_t textRecords = book.docHeader.textRecordCount;
    report.line("Records", std::to_string(book.header.numRecords) +
                               " in all: the Doc header record, " +
                               counted(textRecords, "text record", "text records"));
    report.line("Compression",
                book.docHeader.compression == kDocUncompressed ? "1 (none)" : "2 (PalmDOC)");
    report.line("Text", counted(book.text.size(), "byte", "bytes") + " (the Doc header says " +
                            std::to_string(book.docHeader.textLength) + ")");
    report.line("Compressed", counted(book.docRecordBytes, "byte", "bytes") +
                                  " in the text records" +
                                  percentOf(book.docRecordBytes, book.text.size()));
    report.line("File", counted(book.fileSize, "byte", "bytes"));
    report.line("Section groups", "none (a Doc book holds only text)");
    report.line("Source files", "not recorded");
    return report.take();
}

}  // namespace

std::string formatPalmDate(uint32_t date) {
    if (date == 0)
        return "never";
    const LocalTime time = palmDateTime(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::string describeBook(const Book& book) {
    return book.kind == BookKind::kDoc ? describeDoc(book) : describeVaDo(book);
}

}  // namespace skerrit::preview
