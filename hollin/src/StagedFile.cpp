#include "StagedFile.h"

#include "HostFiles.h"

namespace hollin {

StagedFile::StagedFile(std::filesystem::path target, std::string_view contents)
    : target_(std::move(target)), staged_(writeStagedFile(target_, contents)) {}

StagedFile::~StagedFile() {
    if (staged_) {
        removeFile(*staged_);
    }
}

bool StagedFile::commit() {
    if (!staged_ || !moveStagedFile(*staged_, target_)) {
        return false;
    }
    staged_.reset();
    return true;
}

bool replaceFileContents(const std::filesystem::path& target, std::string_view contents) {
    StagedFile staged(target, contents);
    return staged.commit();
}

}  // namespace hollin
