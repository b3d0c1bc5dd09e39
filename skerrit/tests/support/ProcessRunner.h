// Runs a program the way a user would from a shell: given arguments, standard input taken from a
// file holding the given text, a chosen working directory; collects standard output and the exit
// status. Tests of the console program drive the real binary through it.
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
