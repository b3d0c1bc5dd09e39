// Runs a program the way a user would from a shell: given arguments, standard input taken from a
// file holding the given text, a chosen working directory; collects standard output and the exit
// status. Tests of the console program drive the real binary through it, in the foreground or
// in the background to signal it mid-run.
#pragma once

#include <string>
#include <vector>

namespace skerrit::testing {

struct ProcessResult {
    std::string output;  // standard output and standard error, interleaved as written
    int exitStatus;      // -1 when the program did not exit normally
};

// runAsUser >= 0: the child takes that user and group id first (only root may ask for it).
ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& standardInput, const std::string& workingDirectory,
                         int runAsUser = -1);

// What the child's surroundings hold beyond the arguments.
struct ChildSetting {
    std::string workingDirectory;
    std::string standardInput;             // empty: standard input is an empty file
    int runAsUser = -1;                    // as for runProgram
    std::vector<std::string> environment;  // "NAME=value" entries set in the child
    long fileSizeLimit = -1;               // bytes; the child's RLIMIT_FSIZE when not -1
};

// A program started in the background, its output read through a pipe, so a test can act while
// it runs: wait for a text in its output, send it a signal, then collect how it ended.
class RunningProgram {
  public:
    RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const ChildSetting& setting);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads output until it contains `text`; false when the program ended or the time ran out.
    bool waitForOutput(const std::string& text, int timeoutMilliseconds = 60000);
    void sendSignal(int signalNumber);

    struct End {
        std::string output;
        int exitStatus;  // -1 when ended by a signal
        int signal;      // 0 when it exited
    };
    // Reads the rest of the output and waits for the program to end.
    End finish();

  private:
    int pid_ = -1;
    int output_ = -1;
    std::string collected_;
};

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const ChildSetting& setting);

// A fresh empty directory under the system's temporary directory, removed with its contents by
// the destructor.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);

}  // namespace skerrit::testing
