// An output that takes the place of a user's file only when it is whole. It is written under a
// temporary name in the destination's own folder ("names.pdb.1f3a9c07.tmp") and moved over the
// destination in one step when the writer commits it (rename on POSIX, MoveFileEx on Windows);
// any other end (a failed write, a rejected input, an early return, and on POSIX SIGINT, SIGTERM
// or SIGHUP) removes the temporary file and leaves the destination as it was. Two writers of one
// destination each write a file of their own, and the last one to commit wins with a complete file.
// A device or a pipe (/dev/stdout) has no bytes to keep and is written directly.
#pragma once

#include <string>

#include "database/Files.h"

namespace quillon {

class AtomicOutputFile {
  public:
    AtomicOutputFile() = default;
    ~AtomicOutputFile() { discard(); }
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    // Checks that destination may be replaced (a read-only file or a folder may not) and creates
    // the temporary file beside it. False with errorText() when either fails; nothing is left.
    [[nodiscard]] bool create(const std::string& destination);
    OutputFile& file() { return file_; }

    // Closes the temporary file with its bytes on the disk; false with errorText() when any write
    // failed. The destination is not touched yet, so that several outputs can all be finished
    // before the first one replaces anything.
    [[nodiscard]] bool finish();
    // Moves the finished file over the destination; false with errorText().
    [[nodiscard]] bool replaceDestination();
    [[nodiscard]] bool commit() { return finish() && replaceDestination(); }

    // Closes and removes the temporary file unless it was committed; the destination stays.
    void discard();

    // The system's reason for the last failure ("No such file or directory").
    const std::string& errorText() const { return errorText_; }

  private:
    OutputFile file_;
    std::string target_;         // the destination, symbolic links followed
    std::string temporaryPath_;  // empty when there is nothing to remove
    bool inPlace_ = false;       // a device or pipe, written directly
    std::string errorText_;
};

// A name for a new file beside path: path's own name (shortened where a long one would pass the
// system's limit) followed by "." and the token, then the suffix.
std::string nameBeside(const std::string& path, std::string_view token, std::string_view suffix);

// Eight hexadecimal digits that differ from call to call and from process to process.
std::string uniqueToken();

}  // namespace quillon
