#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skerrit::testing {

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& standardInput, const std::string& workingDirectory,
                         int runAsUser) {
    // Standard input from a file, so the program sees a non-terminal that ends where the text does.
    char inputName[] = "/tmp/skerrit-stdin-XXXXXX";
    const int inputFile = mkstemp(inputName);
    if (inputFile < 0)
        throw std::runtime_error("cannot create the standard input file");
    unlink(inputName);
    if (!standardInput.empty() && write(inputFile, standardInput.data(), standardInput.size()) !=
                                      static_cast<ssize_t>(standardInput.size())) {
        throw std::runtime_error("cannot write the standard input file");
    }
    lseek(inputFile, 0, SEEK_SET);

    int outputPipe[2];
    if (pipe(outputPipe) != 0)
        throw std::runtime_error("cannot create a pipe");

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot fork");
    if (child == 0) {
        dup2(inputFile, STDIN_FILENO);
        dup2(outputPipe[1], STDOUT_FILENO);
        dup2(outputPipe[1], STDERR_FILENO);
        close(outputPipe[0]);
        if (runAsUser >= 0 && (setgid(static_cast<gid_t>(runAsUser)) != 0 ||
                               setuid(static_cast<uid_t>(runAsUser)) != 0)) {
            _exit(125);
        }
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outputPipe[1]);
    close(inputFile);
    ProcessResult result{{}, -1};
    char buffer[4096];
    for (ssize_t got; (got = read(outputPipe[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(outputPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    return result;
}

ScratchDirectory::ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "skerrit-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a directory");
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace skerrit::testing
