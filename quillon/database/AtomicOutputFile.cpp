// The temporary file is created with O_EXCL (or _O_EXCL) under a name made of the destination's
// and a token, tried again with a new token while the name is taken, so that no writer ever opens
// a file of another.
#include "database/AtomicOutputFile.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "database/FileSystem.h"

namespace quillon {

namespace {

// File systems allow 255 bytes for a name; the token and ".tmp" take 13 of them.
constexpr size_t kMaxKeptNameBytes = 200;
constexpr int kCreateAttempts = 100;

// splitmix64's finaliser: spreads every input bit over the whole result.
uint64_t mix(uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

}  // namespace

std::string uniqueToken() {
    static uint64_t counter = 0;
    const auto now =
        static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    const uint64_t value =
        mix(now ^ mix((static_cast<uint64_t>(platform::processId()) << 32) | ++counter));
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token(8, '0');
    for (size_t digit = 0; digit < token.size(); ++digit) {
        token[digit] = kDigits[(value >> (4 * digit)) & 0x0F];
    }
    return token;
}

std::string nameBeside(const std::string& path, std::string_view token, std::string_view suffix) {
    const size_t separator = path.find_last_of(platform::pathSeparators());
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    std::string name = path;
    if (name.size() - nameStart > kMaxKeptNameBytes) {
        name.resize(nameStart + kMaxKeptNameBytes);
    }
    return name + "." + std::string(token) + std::string(suffix);
}

bool AtomicOutputFile::create(const std::string& destination) {
    discard();
    errorText_.clear();
    target_ = platform::followLinks(destination);
    inPlace_ = platform::isDeviceOrPipe(target_);
    if (inPlace_) {
        if (!file_.create(target_)) {
            errorText_ = systemErrorText(file_.errorNumber());
            return false;
        }
        return true;
    }
    if (const int error = platform::replaceError(target_); error != 0) {
        errorText_ = systemErrorText(error);
        return false;
    }
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string candidate = nameBeside(target_, uniqueToken(), ".tmp");
        if (file_.createNew(candidate)) {
            temporaryPath_ = candidate;
            platform::rememberTemporaryFile(temporaryPath_);
            platform::copyOwnerAndPermissions(target_, temporaryPath_);
            return true;
        }
        if (file_.errorNumber() != EEXIST) {
            break;
        }
    }
    errorText_ = systemErrorText(file_.errorNumber());
    return false;
}

bool AtomicOutputFile::finish() {
    if (!file_.close()) {
        errorText_ = systemErrorText(file_.errorNumber());
        return false;
    }
    return true;
}

bool AtomicOutputFile::replaceDestination() {
    if (inPlace_) {
        return !file_.isOpen();
    }
    if (temporaryPath_.empty() || file_.isOpen()) {
        errorText_ = systemErrorText(EINVAL);
        return false;
    }
    if (!platform::moveOver(temporaryPath_, target_, errorText_)) {
        return false;
    }
    platform::forgetTemporaryFile(temporaryPath_);
    temporaryPath_.clear();
    return true;
}

void AtomicOutputFile::discard() {
    static_cast<void>(file_.close());
    if (!temporaryPath_.empty()) {
        static_cast<void>(deleteFile(temporaryPath_));
        platform::forgetTemporaryFile(temporaryPath_);
        temporaryPath_.clear();
    }
}

}  // namespace quillon
