// The Skerrit program as a user meets it: the real binary run with a table of argument lists,
// standard input from a file, and its exact console output and exit status compared. Files are
// made in a fresh directory per case, which is also the working directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/ProcessRunner.h"
#include "support/ZlibRecordDecoder.h"

namespace skerrit::testing {
namespace {

// As shown when standard input or output is not a terminal: without the pause and its prompt
// (ConsoleTerminalTest has the screen that waits).
const std::string kUsageScreen =
    "---------------------------\n"
    "S k e r r i t   v. 2.21\n"
    "---------------------------\n"
    "Made by the Skerrit developers.\n"
    "\n"
    "Converts an HTML page and the pages it links to, a plain text file or a\n"
    "Doc e-book into one compressed document database for the Veldt reader.\n"
    "This program comes with no warranty of any kind: keep a copy of your\n"
    "files and check the results before you rely on them.\n"
    "\n"
    "Bug reports: the issue tracker of the Skerrit project.\n"
    "\n"
    "Updates: the release page of the Skerrit project.\n"
    "\n"
    "      Usage: Skerrit {Options} SourceFileName {DestinationFileName}\n"
    "\n"
    "    Options: -h | -? Displays this usage help information\n"
    "             -iTitle T[i]tle (default title is name of source file)\n"
    "                         (i.e., \"-iThe Great American Novel\")\n"
    "             -y      Force overwrite of destination file if it exists\n"
    "             -rCR    [r]emove [CR] (ASCII 13) characters\n"
    "             -rLF    [r]emove [LF] (ASCII 10) characters\n"
    "             -c      [c]onvert CR characters to LF characters\n"
    "             -sLB{n} Replace [s]ingle [L]ine [B]reaks with [n] spaces\n"
    "                         If [n] is not specified, the default will be 1.\n"
    "             -tLB{n} Convert [t]ab (ASCII 9) characters to [n] line breaks\n"
    "                         If [n] is not specified, the default will be 2.\n"
    "                         (i.e., -tLB3 converts each tab to three line breaks)\n"
    "             -tS{n}  Convert [t]ab characters to [n] spaces (ASCII 32)\n"
    "                         If [n] is not specified, the default will be 8.\n"
    "                         (i.e., -tS4 converts each tab to four spaces)\n"
    "             -d{n}   Maximum depth to follow links (0 means only do first page)\n"
    "\n"
    "      Notes: o If the DestinationFileName is not specified, the\n"
    "               destination file will have the same name as the\n"
    "               source file but with a .PDB extension.\n"
    "             o At most one of the -t options may be used.\n";

std::string echo(const std::string& source, const std::string& destination,
                 const std::string& title, const std::string& optionLines = "") {
    return "\nSource      : " + source + "\nDestination : " + destination +
           "\nTitle       : " + title + "\n" + optionLines + "\n";
}

const std::string kHitEscape = "\n     Hit <ESC> to cancel...\r";
const std::string kCompleted = "\nConversion successfully completed.\n";

// A small Doc database with creator "REAd" whose text record count is not below its record
// count: recognised as Doc (so its name is the title) but refused by the preparation.
std::string corruptDocDatabase(const std::string& name) {
    std::string bytes(78 + 8 + 2 + 16, '\0');
    bytes.replace(0, name.size(), name);
    bytes.replace(60, 8, "TEXtREAd");
    bytes[77] = 1;                          // numRecords
    bytes[78 + 3] = static_cast<char>(88);  // record 0 at offset 88
    bytes[88 + 1] = 2;                      // PalmDOC compression
    bytes[88 + 9] = 5;                      // five text records claimed
    return bytes;
}

struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string standardInput;
    std::map<std::string, std::string> extraFiles;  // besides book.txt
    // Whole output, or what comes before "Hit <ESC>" if converting; "{dir}" stands for the
    // folder the program runs in.
    std::string expectedOutput;
    std::string closing;  // closing message of a conversion; empty: no conversion
    int exitStatus;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

std::vector<Case> commandLineCases() {
    const std::string book = echo("book.txt", "book.PDB", "book");
    return {
        {"NoArgumentsShowsUsage", {}, "\n", {}, kUsageScreen, "", 1},
        {"HelpWithFileNamesShowsUsageOnly",
         {"-h", "book.txt", "out.pdb"},
         "\n",
         {},
         kUsageScreen,
         "",
         1},
        {"QuestionMarkShowsUsage", {"book.txt", "-?"}, "", {}, kUsageScreen, "", 1},
        {"LongHelpShowsUsageAndSucceeds", {"--help"}, "", {}, kUsageScreen, "", 0},
        {"LongVersionPrintsVersionOnly",
         {"--version"},
         "",
         {},
         "Skerrit 2.21 (Palm desktop tools 1.0)\n",
         "",
         0},
        {"FirstLongOptionWinsAndNothingIsConverted",
         {"book.txt", "--version", "--help", "out.pdb"},
         "",
         {},
         "Skerrit 2.21 (Palm desktop tools 1.0)\n",
         "",
         0},
        {"LongOptionsAreWholeArguments",
         {"--helpme", "--versions", "--"},
         "",
         {},
         "Unrecognized option ignored: --helpme\nUnrecognized option ignored: --versions\n"
         "Unrecognized option ignored: --\nError: You must specify a source file name.\n",
         "",
         1},
        {"NoSourceName",
         {"-y", "-c"},
         "",
         {},
         "Error: You must specify a source file name.\n",
         "",
         1},
        {"UnrecognizedOptionsAreReported",
         {"-rcr", "-rCRLF", "-", "-S", "-sL", "-tX", "-Y"},
         "",
         {},
         "Unrecognized option ignored: -rcr\nUnrecognized option ignored: -rCRLF\n"
         "Unrecognized option ignored: -\nUnrecognized option ignored: -S\n"
         "Unrecognized option ignored: -sL\nUnrecognized option ignored: -tX\n"
         "Unrecognized option ignored: -Y\nError: You must specify a source file name.\n",
         "",
         1},
        {"SingleBreakCountOutOfRange",
         {"-sLB-5", "book.txt"},
         "",
         {},
         "Error: The single line break to space count must be between 0 and 9999.\n",
         "",
         1},
        {"TabOptionsConflictEvenWhenValid",
         {"-tS4", "-tLB3", "book.txt"},
         "",
         {},
         "Error: You may only use one of the tab conversion options.\n",
         "",
         1},
        {"TabLineBreakCountOutOfRange",
         {"-tLB10000", "book.txt"},
         "",
         {},
         "Error: The tab to line break count must be between 0 and 9999.\n",
         "",
         1},
        {"TabSpaceCountOutOfRange",
         {"-tS10000", "book.txt"},
         "",
         {},
         "Error: The tab to space count must be between 0 and 9999.\n",
         "",
         1},
        {"LargestCountsAccepted",
         {"-tS9999", "-sLB9999", "book.txt"},
         "",
         {},
         echo("book.txt", "book.PDB", "book",
              "Option      : Converting single line breaks to 9999 space(s)\n"
              "Option      : Converting tabs to 9999 space(s)\n"),
         kCompleted,
         0},
        {"HugeCountDoesNotWrapIntoRange",
         {"-tS4294967304", "book.txt"},
         "",
         {},
         "Error: The tab to space count must be between 0 and 9999.\n",
         "",
         1},
        {"DefaultsConvert", {"book.txt"}, "", {}, book, kCompleted, 0},
        {"EveryOptionEchoedInOrder",
         {"-d3", "-tLB", "-sLB", "-c", "-rLF", "-rCR", "-iMy Book", "book.txt", "out.pdb"},
         "",
         {},
         echo("book.txt", "out.pdb", "My Book",
              "Option      : Remove CR characters\nOption      : Remove LF characters\n"
              "Option      : Convert CR characters to LF characters\n"
              "Option      : Converting single line breaks to 1 space(s)\n"
              "Option      : Converting tabs to 2 line break(s)\n"
              "Option      : Following links to a maximum depth of 3\n"),
         kCompleted,
         0},
        {"OptionDefaultsAndNumbers",
         {"-tS", "-sLB0", "-d0", "-cxyz", "book.txt", "out.pdb", "extra.pdb"},
         "",
         {},
         "Extra parameter ignored: extra.pdb\n" +
             echo("book.txt", "out.pdb", "book",
                  "Option      : Convert CR characters to LF characters\n"
                  "Option      : Converting single line breaks to 0 space(s)\n"
                  "Option      : Converting tabs to 8 space(s)\n"
                  "Option      : Following links to a maximum depth of 0\n"),
         kCompleted,
         0},
        {"MinusOneMeansNotSetAndBareDepthMeansNoLimit",
         {"-tS-1", "-d", "-i", "book.txt", "out.pdb"},
         "",
         {},
         echo("book.txt", "out.pdb", ""),
         kCompleted,
         0},
        {"DefaultDestinationKeepsDirectory",
         {"docs/book.txt"},
         "",
         {{"docs/book.txt", "text\n"}},
         echo("docs/book.txt", "docs/book.PDB", "book"),
         kCompleted,
         0},
        {"DefaultDestinationSplitsAtBackslash",
         {"a.b\\page.htm"},
         "",
         {},
         echo("a.b\\page.htm", "a.b\\page.PDB", "page") + kHitEscape +
             "\nError: Failed to open source file a.b\\page.htm\n"
             "Reason: {dir}/a.b\\page.htm: No such file or directory\n",
         "",
         2},
        {"PdbSourceWithoutDestinationIsIdentical",
         {"book.PDB"},
         "",
         {},
         echo("book.PDB", "book.PDB", "book") +
             "Error: The source and destination file names are identical.\n",
         "",
         1},
        {"NamesDifferingOnlyInCaseAreIdentical",
         {"BOOK.TXT", "book.txt"},
         "",
         {},
         echo("BOOK.TXT", "book.txt", "BOOK") +
             "Error: The source and destination file names are identical.\n",
         "",
         1},
        {"OverwriteAnsweredYes",
         {"book.txt"},
         "y\n",
         {{"book.PDB", "old"}},
         book + "book.PDB already exists.  Overwrite? (y/n) ",
         kCompleted,
         0},
        {"OverwriteAnsweredCapitalYes",
         {"book.txt"},
         "Y",
         {{"book.PDB", "old"}},
         book + "book.PDB already exists.  Overwrite? (y/n) ",
         kCompleted,
         0},
        {"OverwriteAnsweredNo",
         {"book.txt"},
         "n\n",
         {{"book.PDB", "old"}},
         book + "book.PDB already exists.  Overwrite? (y/n) Terminating conversion.\n",
         "",
         1},
        {"OverwriteWithoutAnswer",
         {"book.txt"},
         "",
         {{"book.PDB", "old"}},
         book + "book.PDB already exists.  Overwrite? (y/n) Terminating conversion.\n",
         "",
         1},
        {"ForcedOverwriteDoesNotAsk",
         {"-y", "book.txt"},
         "",
         {{"book.PDB", "old"}},
         book,
         kCompleted,
         0},
        {"MissingSource",
         {"missing.txt"},
         "",
         {},
         echo("missing.txt", "missing.PDB", "missing") + kHitEscape +
             "\nError: Failed to open source file missing.txt\n"
             "Reason: {dir}/missing.txt: No such file or directory\n",
         "",
         2},
        {"DirectoryAsSource",
         {"folder.txt", "out.pdb"},
         "",
         {{"folder.txt/inside", "x"}},
         echo("folder.txt", "out.pdb", "folder") + kHitEscape +
             "\nError: Failed to open source file folder.txt\n"
             "Reason: {dir}/folder.txt: Is a directory\n",
         "",
         2},
        {"DestinationInMissingFolder",
         {"book.txt", "nowhere/out.pdb"},
         "",
         {},
         echo("book.txt", "nowhere/out.pdb", "book") + kHitEscape +
             "\nError: Failed to open destination file nowhere/out.pdb\n"
             "Reason: nowhere/out.pdb: No such file or directory\n",
         "",
         2},
        {"CorruptDocTitleAndFailure",
         {"bad.pdb", "out.pdb"},
         "",
         {{"bad.pdb", corruptDocDatabase("Broken Book")}},
         echo("bad.pdb", "out.pdb", "Broken Book") + kHitEscape +
             "Step 1 of 2: Preprocessing DOC file...\n\nError: Failed preprocessing step\n"
             "Reason: bad.pdb: the Doc book's header or record list is damaged.\n",
         "",
         2},
    };
}

// The step lines and percentages between "Hit <ESC>" and the closing message of a text
// conversion: a sequence of step lines and "%3d%\r" entries.
bool isProgressOutput(const std::string& middle) {
    std::size_t at = 0;
    while (at < middle.size()) {
        if (middle.compare(at, 5, "Step ") == 0) {
            const std::size_t end = middle.find('\n', at);
            if (end == std::string::npos)
                return false;
            at = end + 1;
        } else if (at + 5 <= middle.size() && middle[at + 3] == '%' && middle[at + 4] == '\r') {
            at += 5;
        } else {
            return false;
        }
    }
    return true;
}

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, OutputAndExitStatus) {
    const Case& c = GetParam();
    ScratchDirectory directory;
    writeWholeFile(directory.file("book.txt"), "one\ntwo\n\nthree\n");
    for (const auto& [name, bytes] : c.extraFiles) {
        std::filesystem::create_directories(
            std::filesystem::path(directory.file(name)).parent_path());
        writeWholeFile(directory.file(name), bytes);
    }
    const ProcessResult result =
        runProgram(SKERRIT_BINARY, c.arguments, c.standardInput, directory.path());
    EXPECT_EQ(result.exitStatus, c.exitStatus);
    std::string expectedOutput = c.expectedOutput;
    if (const std::size_t at = expectedOutput.find("{dir}"); at != std::string::npos)
        expectedOutput.replace(at, 5, directory.path());
    if (c.closing.empty()) {
        EXPECT_EQ(result.output, expectedOutput);
        return;
    }
    const std::string head = expectedOutput + kHitEscape;
    ASSERT_GE(result.output.size(), head.size() + c.closing.size()) << result.output;
    EXPECT_EQ(result.output.substr(0, head.size()), head);
    EXPECT_EQ(result.output.substr(result.output.size() - c.closing.size()), c.closing);
    const std::string middle =
        result.output.substr(head.size(), result.output.size() - head.size() - c.closing.size());
    EXPECT_EQ(middle.rfind("Step 1 of 2: Preprocessing text file...\n100%\r"
                           "Step 2 of 2: Compressing text...\n",
                           0),
              0u)
        << middle;
    EXPECT_TRUE(isProgressOutput(middle)) << middle;
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineTest, ::testing::ValuesIn(commandLineCases()),
                         [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// What must hold on disk: the source is never touched, a declined overwrite keeps the old file,
// a missing source creates no destination.
TEST(CommandLineFilesTest, SourceUntouchedAndDestinationsAsAnswered) {
    ScratchDirectory directory;
    const std::string text = "one\r\ntwo\r\n";
    writeWholeFile(directory.file("book.txt"), text);
    writeWholeFile(directory.file("book.PDB"), "old");

    runProgram(SKERRIT_BINARY, {"book.txt"}, "n", directory.path());
    EXPECT_EQ(readWholeFile(directory.file("book.PDB")), "old");

    runProgram(SKERRIT_BINARY, {"-sLB", "-c", "book.txt"}, "y", directory.path());
    EXPECT_EQ(readWholeFile(directory.file("book.txt")), text);
    const std::string database = readWholeFile(directory.file("book.PDB"));
    ASSERT_GE(database.size(), 78u);
    EXPECT_EQ(database.substr(60, 8), "VaDoVaDo");  // type and creator
    EXPECT_EQ(database.substr(0, 5), std::string("book\0", 5));
    std::string error;
    const DecodedTextPart decoded = decodeTextPart(parseDatabase(toBytes(database), &error));
    ASSERT_EQ(error + decoded.error, "");
    EXPECT_EQ(toText(decoded.text), "one\n\ntwo\n\n");  // every line end is two breaks

    runProgram(SKERRIT_BINARY, {"missing.txt"}, "", directory.path());
    EXPECT_FALSE(std::filesystem::exists(directory.file("missing.PDB")));

    // The same file under another name must not be truncated by the conversion.
    const ProcessResult sameFile =
        runProgram(SKERRIT_BINARY, {"-y", "book.txt", "./book.txt"}, "", directory.path());
    EXPECT_EQ(readWholeFile(directory.file("book.txt")), text);
    EXPECT_EQ(sameFile.exitStatus, 1);
}

// An HTML page: its title names the database, the three HTML steps run, and the text of the page
// reaches the output.
TEST(CommandLineFilesTest, HtmlPageIsConvertedAsHtml) {
    ScratchDirectory directory;
    writeWholeFile(directory.file("page.htm"),
                   "<html><head><title>  Harbour   &amp; Light: a tale of the north mole "
                   "</title></head><body><p>Hello there</p></body></html>\n");
    const ProcessResult result =
        runProgram(SKERRIT_BINARY, {"-d0", "page.htm"}, "", directory.path());
    EXPECT_EQ(result.exitStatus, 0);
    const std::string head =
        echo("page.htm", "page.PDB", "Harbour & Light: a tale of the ",  // first 31 characters
             "Option      : Following links to a maximum depth of 0\n") +
        kHitEscape + "Step 1 of 3: Parsing HTML page(s)...\n";
    EXPECT_EQ(result.output.substr(0, head.size()), head);
    EXPECT_NE(result.output.find("Step 3 of 3: Compressing text...\n"), std::string::npos);
    EXPECT_NE(result.output.find(std::string(79, ' ') + "\r     " + directory.path()),
              std::string::npos);  // the page line names the page by its full path
    EXPECT_EQ(result.output.substr(result.output.size() - kCompleted.size()), kCompleted);

    std::string error;
    const ParsedDatabase database =
        parseDatabase(toBytes(readWholeFile(directory.file("page.PDB"))), &error);
    ASSERT_EQ(error, "");
    const DecodedTextPart decoded = decodeTextPart(database);
    ASSERT_EQ(decoded.error, "");
    EXPECT_NE(toText(decoded.text).find("Hello there"), std::string::npos) << toText(decoded.text);
}

// Root reads every file, so as root the program runs as the unprivileged user "nobody".
TEST(CommandLineFilesTest, UnreadableSourceIsReportedNotConverted) {
    constexpr int kNobody = 65534;
    const int runAs = geteuid() == 0 ? kNobody : -1;
    ScratchDirectory directory;
    chmod(directory.path().c_str(), 0777);
    writeWholeFile(directory.file("locked.txt"), "secret\n");
    chmod(directory.file("locked.txt").c_str(), 0);
    const ProcessResult result =
        runProgram(SKERRIT_BINARY, {"locked.txt", "out.pdb"}, "", directory.path(), runAs);
    // 125 to 127: the switch, the folder or the program itself is out of that user's reach.
    if (runAs >= 0 && result.exitStatus >= 125) {
        GTEST_SKIP() << "cannot run the program as an unprivileged user here";
    }
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.output, echo("locked.txt", "out.pdb", "locked") + kHitEscape +
                                 "\nError: Failed to open source file locked.txt\n"
                                 "Reason: " +
                                 directory.file("locked.txt") + ": Permission denied\n");
    chmod(directory.file("locked.txt").c_str(), 0600);
    EXPECT_EQ(readWholeFile(directory.file("locked.txt")), "secret\n");
}

}  // namespace
}  // namespace skerrit::testing
