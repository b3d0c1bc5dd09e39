// The console program on a real terminal (a pseudo-terminal): Escape typed during a conversion
// cancels it, and the terminal settings are put back whether the conversion ends, is canceled or
// is interrupted with Ctrl-C. A canceled or interrupted conversion leaves the old database as it
// was, with nothing beside it; one that ends replaces it.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ProcessRunner.h"

namespace skerrit::testing {
namespace {

struct TerminalRun {
    std::string output;
    bool exited;
    int exitStatus;
    int signal;
    bool canonical;   // ICANON set on the terminal once the program is gone
    bool echoing;     // ECHO set on the terminal once the program is gone
    bool noTerminal;  // the system gave no pseudo-terminal
};

// Runs Skerrit with `arguments` on a fresh pseudo-terminal and types `keys` once `typeAfter` has
// appeared in its output (at once when it is empty). With an `outputFile`, standard output goes to
// that file instead, as in "Skerrit -h > file", while standard input stays the terminal.
TerminalRun runOnTerminal(const std::string& directory, const std::string& keys,
                          const std::string& typeAfter,
                          const std::vector<std::string>& arguments = {"-y", "big.txt"},
                          const std::string& outputFile = "") {
    std::vector<char*> argv{const_cast<char*>(SKERRIT_BINARY)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        if (!outputFile.empty() && freopen(outputFile.c_str(), "w", stdout) == nullptr)
            _exit(126);
        execv(SKERRIT_BINARY, argv.data());
        _exit(127);
    }
    TerminalRun run{{}, false, -1, 0, false, false, false};
    if (child < 0) {
        run.noTerminal = true;
        return run;
    }
    bool typed = false;
    auto typeKeys = [&] {
        if (!typed &&
            write(master, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size())) {
            typed = true;
        }
    };
    if (typeAfter.empty())
        typeKeys();
    for (;;) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 20000) <= 0) {
            kill(child, SIGKILL);  // hung: end it so the test reports instead of waiting forever
            break;
        }
        char buffer[4096];
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0)
            break;  // EIO once the program has closed the terminal
        run.output.append(buffer, static_cast<std::size_t>(got));
        if (!typeAfter.empty() && run.output.find(typeAfter) != std::string::npos)
            typeKeys();
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.exited = WIFEXITED(status);
    run.exitStatus = run.exited ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    termios settings{};
    if (tcgetattr(master, &settings) == 0) {
        run.canonical = (settings.c_lflag & ICANON) != 0;
        run.echoing = (settings.c_lflag & ECHO) != 0;
    }
    close(master);
    return run;
}

const std::string kOldDatabase = "the old database\n";

class ConsoleTerminalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Large enough that the conversion is still running when a key arrives.
        std::string text;
        for (int line = 0; text.size() < 3000000; ++line) {
            text += "Line " + std::to_string(line) + " of a book that goes on for a long time.\n";
        }
        writeWholeFile(directory_.file("big.txt"), text);
        writeWholeFile(directory_.file("big.PDB"), kOldDatabase);
    }

    bool destinationKept() const {
        return readWholeFile(directory_.file("big.PDB")) == kOldDatabase;
    }

    // big.txt and big.PDB, and no temporary file beside them.
    bool nothingBeside() const {
        return std::distance(std::filesystem::directory_iterator(directory_.path()),
                             std::filesystem::directory_iterator()) == 2;
    }

    ScratchDirectory directory_;
};

TEST_F(ConsoleTerminalTest, EscapeCancelsAndTerminalIsRestored) {
    // Typed before the conversion starts: it waits in the terminal's queue for the first poll.
    const TerminalRun run = runOnTerminal(directory_.path(), "\x1b", "");
    if (run.noTerminal)
        GTEST_SKIP() << "no pseudo-terminal available (forkpty failed)";
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_NE(run.output.find("Conversion canceled."), std::string::npos) << run.output;
    EXPECT_TRUE(run.canonical);
    EXPECT_TRUE(run.echoing);
    EXPECT_TRUE(destinationKept());
    EXPECT_TRUE(nothingBeside());
}

TEST_F(ConsoleTerminalTest, CursorKeysDoNotCancel) {
    const TerminalRun run = runOnTerminal(directory_.path(), "\x1b[A\x1bOB", "Hit <ESC>");
    if (run.noTerminal)
        GTEST_SKIP() << "no pseudo-terminal available (forkpty failed)";
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.output.find("Conversion successfully completed."), std::string::npos)
        << run.output;
    EXPECT_TRUE(run.canonical);
    EXPECT_FALSE(destinationKept());
    EXPECT_TRUE(nothingBeside());
}

TEST_F(ConsoleTerminalTest, InterruptRestoresTerminal) {
    const TerminalRun run = runOnTerminal(directory_.path(), "\x03", "Step 1 of 2");
    if (run.noTerminal)
        GTEST_SKIP() << "no pseudo-terminal available (forkpty failed)";
    // Interrupted mid-conversion as a rule; a very fast machine may finish first.
    if (!run.exited) {
        EXPECT_EQ(run.signal, SIGINT);
        EXPECT_TRUE(destinationKept());
    }
    EXPECT_TRUE(run.canonical);
    EXPECT_TRUE(run.echoing);
    EXPECT_TRUE(nothingBeside());
}

// Ctrl-Z hands the terminal back and stops; here the process group has no parent in the
// session, so the system discards the stop and the conversion simply goes on to the end.
TEST_F(ConsoleTerminalTest, SuspendKeyDoesNotHangTheConversion) {
    const TerminalRun run = runOnTerminal(directory_.path(), "\x1a", "Step 1 of 2");
    if (run.noTerminal)
        GTEST_SKIP() << "no pseudo-terminal available (forkpty failed)";
    EXPECT_TRUE(run.exited);
    EXPECT_NE(run.output.find("Conversion successfully completed."), std::string::npos)
        << run.output;
    EXPECT_TRUE(run.canonical);
    EXPECT_TRUE(run.echoing);
}

// The usage screen waits for Enter only where someone can see the prompt and answer it. Typed
// after the prompt, the key's echo comes before the option list, so the screen did wait.
TEST_F(ConsoleTerminalTest, UsageWaitsForEnterOnlyWhenOutputIsTheTerminal) {
    const TerminalRun waiting =
        runOnTerminal(directory_.path(), "\n", "<Hit return to continue>", {"-h"});
    if (waiting.noTerminal)
        GTEST_SKIP() << "no pseudo-terminal available (forkpty failed)";
    EXPECT_EQ(waiting.exitStatus, 1);
    EXPECT_NE(waiting.output.find("<Hit return to continue>\r\n\r\n\r\n    Options:"),
              std::string::npos)
        << waiting.output;

    // Nothing is ever typed: a program that waited would be killed after the poll's time.
    const std::string screen = directory_.file("usage.txt");
    const TerminalRun piped = runOnTerminal(directory_.path(), "", "", {"-h"}, screen);
    EXPECT_TRUE(piped.exited);
    EXPECT_EQ(piped.exitStatus, 1);
    EXPECT_EQ(piped.output, "");
    const std::string written = readWholeFile(screen);
    EXPECT_EQ(written.find("<Hit return"), std::string::npos) << written;
    EXPECT_NE(written.find("{DestinationFileName}\n\n    Options:"), std::string::npos) << written;

    const TerminalRun help = runOnTerminal(directory_.path(), "", "", {"--help"});
    EXPECT_TRUE(help.exited);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.output.find("<Hit return"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("o At most one of the -t options may be used."), std::string::npos);
}

}  // namespace
}  // namespace skerrit::testing
