// Reads the whole book into memory, has the reader check all of it, and only then writes: the
// page goes to a temporary file in the output folder that is renamed to index.html once it is
// complete, so a failed run leaves the folder as it was.
#include "preview/PreviewProgram.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "SkerritVersion.h"
#include "preview/BookHtml.h"
#include "preview/BookInfo.h"
#include "preview/BookReader.h"

namespace skerrit::preview {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "skerrit-preview";
constexpr const char* kPageName = "index.html";
// Every offset in a Palm database is 32 bits.
constexpr std::uintmax_t kLargestDatabase = 0xFFFFFFFFu;

constexpr const char* kUsage =
    "Usage: skerrit-preview BOOK.pdb OUT-FOLDER   write OUT-FOLDER/index.html, the whole book\n"
    "       skerrit-preview --text BOOK.pdb       the book's text on standard output\n"
    "       skerrit-preview --info BOOK.pdb       title, dates, records, sizes, source files\n"
    "       skerrit-preview --help | --version\n";

constexpr const char* kHelp =
    "Shows a book that Skerrit wrote (a VaDo database) as the handheld reader would show it.\n"
    "Doc (PalmDOC) e-books are read too, as text only.\n"
    "\n"
    "The page is one HTML5 file with its own style sheet and no scripts: the text with its\n"
    "styles, lists and rules, each converted file as a section, and every link that leads\n"
    "somewhere as a link to the place it leads to. The handheld's 8-bit characters become\n"
    "Unicode. --text writes the text exactly as the book stores it (8-bit, line feeds).\n"
    "\n"
    "A file that is not a VaDo or Doc database, or one with a damaged record, is reported\n"
    "with the record at fault and exit status 1; the output folder is then left as it was.\n";

void print(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int failWith(std::FILE* err, const std::string& message) {
    print(err, std::string(kProgram) + ": " + message + "\n");
    return kExitFailure;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::is_regular_file(status)) {
        problem = "cannot read " + path + ": no such file";
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kLargestDatabase) {
        problem = path + ": too large for a Palm database";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()))) {
        problem = "cannot read " + path;
        return false;
    }
    return true;
}

bool loadBook(const std::string& path, Book& book, std::FILE* err) {
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!readWholeFile(path, bytes, problem)) {
        failWith(err, problem);
        return false;
    }
    ReadFailure failure;
    if (!readBook(bytes, book, failure)) {
        failWith(err, path + ": " + describeFailure(failure));
        return false;
    }
    return true;
}

std::string temporaryName() {
    std::random_device device;
    return std::string(".") + kPageName + "." + std::to_string(device() % 1000000000u) + ".tmp";
}

// Writes the page beside its final name and renames it into place. A folder this run made is
// removed again when the page cannot be written, so a failure leaves no trace.
bool writePage(const fs::path& folder, const std::string& page, std::string& problem) {
    std::error_code error;
    bool madeFolder = false;
    if (!fs::is_directory(folder, error)) {
        madeFolder = fs::create_directories(folder, error);
        if (!madeFolder) {
            problem = "cannot create the folder " + folder.string();
            return false;
        }
    }
    const fs::path temporary = folder / temporaryName();
    const fs::path target = folder / kPageName;
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(page.data(), static_cast<std::streamsize>(page.size()));
        out.close();
        written = static_cast<bool>(out);
    }
    // Replaces an older page in one step (on Windows too: the library moves with replace).
    if (written)
        fs::rename(temporary, target, error);
    if (!written || error) {
        fs::remove(temporary, error);
        if (madeFolder)
            fs::remove(folder, error);
        problem = "cannot write " + target.string();
        return false;
    }
    return true;
}

int writeText(const std::string& path, std::FILE* out, std::FILE* err) {
    Book book;
    if (!loadBook(path, book, err))
        return kExitFailure;
    print(out, book.text);
    return std::fflush(out) == 0 ? kExitSuccess : failWith(err, "cannot write the text");
}

int writeInfo(const std::string& path, std::FILE* out, std::FILE* err) {
    Book book;
    if (!loadBook(path, book, err))
        return kExitFailure;
    print(out, describeBook(book));
    return kExitSuccess;
}

int writeHtml(const std::string& path, const std::string& folder, std::FILE* out, std::FILE* err) {
    Book book;
    if (!loadBook(path, book, err))
        return kExitFailure;
    std::string problem;
    if (!writePage(folder, renderBookHtml(book), problem))
        return failWith(err, problem);
    print(out, (fs::path(folder) / kPageName).string() + "\n");
    return kExitSuccess;
}

int usageError(std::FILE* err, const std::string& message) {
    print(err, std::string(kProgram) + ": " + message + "\n" + kUsage);
    return kExitFailure;
}

}  // namespace

int runPreview(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        print(out, std::string(kUsage) + "\n" + kHelp);
        return kExitSuccess;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        print(out, std::string(SKERRIT_PREVIEW_VERSION_TEXT) + "\n");
        return kExitSuccess;
    }
    if (arguments.size() == 2 && arguments[0] == "--text")
        return writeText(arguments[1], out, err);
    if (arguments.size() == 2 && arguments[0] == "--info")
        return writeInfo(arguments[1], out, err);
    if (arguments.size() == 2 && !arguments[0].starts_with("--") &&
        !arguments[1].starts_with("--")) {
        return writeHtml(arguments[0], arguments[1], out, err);
    }
    if (!arguments.empty() && arguments[0].starts_with("--") && arguments[0] != "--text" &&
        arguments[0] != "--info") {
        return usageError(err, "unknown option " + arguments[0]);
    }
    return usageError(err, "wrong number of arguments");
}

}  // namespace skerrit::preview
