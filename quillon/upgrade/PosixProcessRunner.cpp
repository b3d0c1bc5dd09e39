// posix_spawn reports a program that cannot be executed through its result (glibc waits for the
// exec), so "could not be started" needs no pipe of our own.
#include "upgrade/PosixProcessRunner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "ui/CommandLine.h"

extern char** environ;

namespace quillon {

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    size_t position = 0;
    while (commandLine.find_first_not_of(' ', position) != std::string::npos) {
        arguments.push_back(TakeArgument(commandLine, position));
    }
    return arguments;
}

std::optional<int> PosixProcessRunner::run(const std::string& programPath,
                                           const std::string& commandLine) {
    std::vector<std::string> arguments = splitCommandLine(commandLine);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    failureText_.clear();
    pid_t child = 0;
    if (const int error =
            posix_spawn(&child, programPath.c_str(), nullptr, nullptr, argv.data(), environ);
        error != 0) {
        failureText_ = programPath + " could not be started: " + std::strerror(error);
        return std::nullopt;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            failureText_ = programPath + " could not be waited for: " + std::strerror(errno);
            return std::nullopt;
        }
    }
    if (!WIFEXITED(status)) {
        failureText_ = programPath + " was ended by signal " +
                       std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

}  // namespace quillon
