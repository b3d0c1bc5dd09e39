#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skerrit::testing {

namespace {

// Standard input from a file, so the program sees a non-terminal that ends where the text does.
int standardInputFile(const std::string& text) {
    char inputName[] = "/tmp/skerrit-stdin-XXXXXX";
    const int inputFile = mkstemp(inputName);
    if (inputFile < 0)
        throw std::runtime_error("cannot create the standard input file");
    unlink(inputName);
    if (!text.empty() &&
        write(inputFile, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write the standard input file");
    }
    lseek(inputFile, 0, SEEK_SET);
    return inputFile;
}

// Starts the program with standard output and error on a new pipe; returns its pid and sets
// `output` to the reading end.
pid_t startChild(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildSetting& setting, int& output) {
    const int inputFile = standardInputFile(setting.standardInput);
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
        for (const std::string& entry : setting.environment)
            putenv(const_cast<char*>(entry.c_str()));
        if (setting.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(setting.fileSizeLimit),
                               static_cast<rlim_t>(setting.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(124);
        }
        if (setting.runAsUser >= 0 && (setgid(static_cast<gid_t>(setting.runAsUser)) != 0 ||
                                       setuid(static_cast<uid_t>(setting.runAsUser)) != 0)) {
            _exit(125);
        }
        if (chdir(setting.workingDirectory.c_str()) != 0)
            _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outputPipe[1]);
    close(inputFile);
    output = outputPipe[0];
    return child;
}

}  // namespace

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& standardInput, const std::string& workingDirectory,
                         int runAsUser) {
    ChildSetting setting;
    setting.workingDirectory = workingDirectory;
    setting.standardInput = standardInput;
    setting.runAsUser = runAsUser;
    return runProgram(program, arguments, setting);
}

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const ChildSetting& setting) {
    RunningProgram running(program, arguments, setting);
    const RunningProgram::End end = running.finish();
    return ProcessResult{end.output, end.exitStatus};
}

RunningProgram::RunningProgram(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const ChildSetting& setting) {
    pid_ = startChild(program, arguments, setting, output_);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        finish();
    }
}

bool RunningProgram::waitForOutput(const std::string& text, int timeoutMilliseconds) {
    while (collected_.find(text) == std::string::npos) {
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, timeoutMilliseconds) <= 0)
            return false;
        char buffer[4096];
        const ssize_t got = read(output_, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        collected_.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void RunningProgram::sendSignal(int signalNumber) {
    kill(pid_, signalNumber);
}

RunningProgram::End RunningProgram::finish() {
    End end{{}, -1, 0};
    if (pid_ <= 0)
        return end;
    char buffer[4096];
    for (ssize_t got; (got = read(output_, buffer, sizeof buffer)) > 0;)
        collected_.append(buffer, static_cast<std::size_t>(got));
    close(output_);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    end.output = collected_;
    if (WIFEXITED(status))
        end.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    return end;
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
