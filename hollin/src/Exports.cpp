// The seven exports. Each first makes sure the single TUserData exists: it is built on the first
// call, from the platform the environment names (on Linux a Wine prefix), and kept until the
// library is unloaded; when Palm Desktop is not found it is dropped at once, and the next call
// tries again. A mutex makes the first call safe from two threads; the data never changes
// afterwards. No exception crosses into the host: a host written in C cannot catch one, so
// whatever escapes (memory running out, say) becomes a result code.
#include <cstring>
#include <mutex>

#include "Hollin.h"
#include "HostPlatform.h"
#include "InstallFile.h"
#include "UserData.h"

namespace {

using hollin::TUserData;
using hollin::TUserEntry;

struct LibraryState {
    std::mutex mutex;
    std::unique_ptr<hollin::HostPlatform> platform;  // the one the instance was read from
    std::unique_ptr<TUserData> instance;
};

LibraryState& state() {
    static LibraryState library;
    return library;
}

const TUserData* userData() {
    LibraryState& library = state();
    const std::lock_guard lock(library.mutex);
    if (!library.instance) {
        std::unique_ptr<hollin::HostPlatform> platform = hollin::makeHostPlatform();
        std::unique_ptr<TUserData> created =
            TUserData::create(platform->registry(), platform->pathMapper());
        if (created->rootFound) {
            library.platform = std::move(platform);
            library.instance = std::move(created);
        }
    }
    return library.instance.get();
}

// Copies NUL-terminated text of at most FieldSize - 1 characters; a null buffer is left alone.
template <std::size_t FieldSize>
void copyOut(char* buffer, const char (&field)[FieldSize]) {
    if (buffer != nullptr) {
        const std::size_t length = strnlen(field, FieldSize - 1);
        std::memcpy(buffer, field, length);
        buffer[length] = '\0';
    }
}

void clearOut(char* buffer) {
    if (buffer != nullptr) {
        buffer[0] = '\0';
    }
}

using TextOfEntry = const char (&)[hollin::kUserTextFieldSize];

template <typename Field>
int32_t copyUserText(int32_t userIndex, char* buffer, Field field) {
    const TUserData* data = userData();
    if (data == nullptr) {
        return HOLLIN_NOT_FOUND;
    }
    const TUserEntry* user = nullptr;
    const int32_t found = data->findUser(userIndex, user);
    if (found != HOLLIN_DONE) {
        clearOut(buffer);
        return found;
    }
    copyOut(buffer, field(*user));
    return HOLLIN_DONE;
}

// Runs an export's body; an exception becomes `failure`: -1 for the exports that only read (the
// instance could not be made, and the next call tries again), -4 for an install.
template <typename Body>
int32_t withoutExceptions(int32_t failure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace

extern "C" {

HOLLIN_API int32_t HOLLIN_CALL ud_InstallUser(int32_t userIndex, const char* filePath) {
    return withoutExceptions(HOLLIN_COPY_FAILED, [&]() -> int32_t {
        const TUserData* data = userData();
        if (data == nullptr) {
            return HOLLIN_NOT_FOUND;
        }
        LibraryState& library = state();
        const std::lock_guard lock(library.mutex);
        return hollin::installFileForUser(*data, userIndex, filePath, *library.platform);
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetUserSubDir(int32_t userIndex, char* subDir) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        return copyUserText(userIndex, subDir,
                            [](const TUserEntry& user) -> TextOfEntry { return user.subDir; });
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetUserName(int32_t userIndex, char* userName) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        return copyUserText(userIndex, userName,
                            [](const TUserEntry& user) -> TextOfEntry { return user.name; });
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetUserMagic(int32_t userIndex) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        const TUserData* data = userData();
        if (data == nullptr) {
            return HOLLIN_NOT_FOUND;
        }
        const TUserEntry* user = nullptr;
        const int32_t found = data->findUser(userIndex, user);
        return found == HOLLIN_DONE ? int32_t{user->magic} : found;
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetCore(char* corePath) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        const TUserData* data = userData();
        if (data == nullptr) {
            return HOLLIN_NOT_FOUND;
        }
        copyOut(corePath, data->corePath);
        return HOLLIN_DONE;
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetLastUserNumber(void) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        const TUserData* data = userData();
        return data == nullptr ? int32_t{HOLLIN_NOT_FOUND} : data->lastUserIndex;
    });
}

HOLLIN_API int32_t HOLLIN_CALL ud_GetNumUsers(void) {
    return withoutExceptions(HOLLIN_NOT_FOUND, [&]() -> int32_t {
        const TUserData* data = userData();
        return data == nullptr ? int32_t{HOLLIN_NOT_FOUND} : int32_t{data->userCount};
    });
}

}  // extern "C"
