// The few file services whose POSIX and Windows forms differ, as one small interface for the file
// layer above it (Files.h, AtomicOutputFile.h); PosixFileSystem.cpp and Win32FileSystem.cpp are
// its two halves. Failures leave the C library's errno set, except where a text is returned.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace quillon::platform {

// Creates and opens path for binary writing only if nothing exists under that name (EEXIST
// otherwise), so that two processes can never share one temporary file.
std::FILE* createNewFile(const std::string& path);

// Writes the stream's buffers out and asks the system to put the file's bytes on the disk.
[[nodiscard]] bool syncFile(std::FILE* file);

// 0 when path does not exist or is a file that its owner may replace; otherwise the error number
// that opening it for writing would give (EISDIR for a folder, EACCES for a read-only file).
int replaceError(const std::string& path);

// True when path names a device or a pipe (/dev/null, /dev/stdout): it is written in place, as
// there is no file to keep and nothing could be moved over it.
bool isDeviceOrPipe(const std::string& path);

// The file that writing to path would change: the target of a symbolic link (on systems that have
// them), else path itself.
std::string followLinks(const std::string& path);

// Gives newFile the owner and permissions of the file it will replace, if there is one, as far
// as the system allows.
void copyOwnerAndPermissions(const std::string& existing, const std::string& newFile);

// Moves from over to, replacing to in one step: a reader sees the old file or the new one, never
// a mixture. False with the system's text in errorText.
[[nodiscard]] bool moveOver(const std::string& from, const std::string& to, std::string& errorText);

// The system's text for the error of the last failed call: GetLastError on Windows, errno on
// POSIX.
std::string lastErrorText();

// Temporary files that an interrupting signal (SIGINT, SIGTERM, SIGHUP) removes before the
// process ends, where the system has such signals. A handler is installed for each signal whose
// action is still the default one, at the first file remembered.
void rememberTemporaryFile(const std::string& path);
void forgetTemporaryFile(const std::string& path);

// A value that differs between processes running at the same time.
uint32_t processId();

// The characters that end a folder part of a path.
std::string_view pathSeparators();

// The folder that holds the running program's own executable, links followed; empty when the
// system cannot tell.
std::string executableFolder();

}  // namespace quillon::platform
