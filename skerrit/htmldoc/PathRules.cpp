// Path classification, join, folding and fragment split on plain 8-bit strings. Both separators
// are accepted everywhere because pages written on one system link with the other's habits.
#include "htmldoc/PathRules.h"

#include <algorithm>
#include <cstring>

namespace skerrit {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithHttp(const char* path) {
    static constexpr char kScheme[] = "http://";
    for (std::size_t i = 0; i + 1 < sizeof kScheme; ++i) {
        if (lowerAscii(path[i]) != kScheme[i])
            return false;  // stops at the terminator too
    }
    return true;
}

// Where a reference that starts with a separator cuts the joined base back to, or npos when the
// base has no root to keep. A UNC base keeps its "\\server\share": a rooted reference under a
// share means the top of that share, never a new server named by the reference's first segment.
constexpr std::size_t kNoRoot = static_cast<std::size_t>(-1);

std::size_t rootLength(PathKind kind, const char* base, std::size_t length) {
    switch (kind) {
        case kPathDrive:
            return 2;
        case kPathRooted:
            return 0;
        case kPathHttp:
            for (std::size_t i = 7; i < length; ++i) {
                if (base[i] == '/')
                    return i;
            }
            return length;
        case kPathUnc: {
            std::size_t serverEnd = kNoRoot;
            for (std::size_t i = 2; i < length; ++i) {
                if (!isSeparator(base[i]))
                    continue;
                if (serverEnd != kNoRoot)
                    return i;  // after "\\server\share"
                serverEnd = i;
            }
            return serverEnd != kNoRoot ? serverEnd : length;
        }
        case kPathRelative:
            break;
    }
    return kNoRoot;
}

}  // namespace

PathKind pathKind(const char* path) {
    if (isAsciiLetter(path[0]) && path[1] == ':' && isSeparator(path[2]))
        return kPathDrive;
    if (path[0] == '\\' && path[1] == '\\')
        return kPathUnc;
    if (path[0] == '/')
        return kPathRooted;
    if (startsWithHttp(path))
        return kPathHttp;
    return kPathRelative;
}

bool isDriveRelative(const char* path) {
    return isAsciiLetter(path[0]) && path[1] == ':' && !isSeparator(path[2]);
}

void directoryPart(const char* path, char* out) {
    std::size_t length = 0;
    std::size_t keep = 0;
    while (length < kMaxPathLength && path[length] != '\0') {
        out[length] = path[length];
        if (isSeparator(path[length]))
            keep = length + 1;
        ++length;
    }
    out[keep] = '\0';
}

bool joinPath(const char* base, const char* reference, char* out) {
    // A rooted reference ("/x.htm") on a page with a drive, UNC or http name means the top of
    // that page's drive, share or host, as a browser reads it; everywhere else it stands alone.
    const PathKind referenceKind = pathKind(reference);
    const PathKind baseKind = pathKind(base);
    const bool rootedUnderBase =
        referenceKind == kPathRooted && baseKind != kPathRelative && baseKind != kPathRooted;
    if (referenceKind != kPathRelative && !rootedUnderBase) {
        const std::size_t length = std::min(std::strlen(reference), kMaxPathLength);
        std::memcpy(out, reference, length);
        out[length] = '\0';
        return true;
    }
    const std::size_t baseLength = std::strlen(base);
    if (baseKind == kPathRelative || baseLength >= kMaxPathLength - 1)
        return false;

    std::memcpy(out, base, baseLength);
    std::size_t length = baseLength;
    const bool slashOnly = baseKind == kPathRooted || baseKind == kPathHttp;
    const char last = length > 0 ? out[length - 1] : '\0';
    if (slashOnly ? last != '/' : !isSeparator(last))
        out[length++] = slashOnly ? '/' : '\\';

    if (isSeparator(reference[0])) {
        const std::size_t root = rootLength(baseKind, out, length);
        if (root == kNoRoot || root >= kMaxPathLength)
            return false;
        length = root;
    }
    for (const char* next = reference; *next != '\0' && length < kMaxPathLength; ++next) {
        out[length++] = *next;
    }
    out[length] = '\0';
    return true;
}

bool normalisePath(char* path) {
    std::size_t length = std::strlen(path);
    std::size_t i = 0;
    while (i < length) {
        if (isSeparator(path[i]) && path[i + 1] == '.' && path[i + 2] == '.' &&
            isSeparator(path[i + 3])) {
            std::size_t j = i;
            while (j > 0 && !isSeparator(path[j - 1]))
                --j;
            if (j == 0)
                return false;
            --j;  // the separator that opens the segment climbed out of
            // Drop "segment/../" including the separator after "..": path[j+1 .. i+3].
            std::memmove(path + j + 1, path + i + 4, length - (i + 4) + 1);
            length -= i + 3 - j;
            i = j;
        } else if (isSeparator(path[i]) && path[i + 1] == '.' && isSeparator(path[i + 2])) {
            std::memmove(path + i + 1, path + i + 3, length - (i + 3) + 1);
            length -= 2;
        } else {
            ++i;
        }
    }
    const PathKind kind = pathKind(path);
    if (kind == kPathDrive || kind == kPathUnc) {
        for (char* c = path; *c != '\0'; ++c) {
            if (*c == '/')
                *c = '\\';
        }
    }
    return true;
}

bool splitFragment(const char* reference, char* name, char* fragment) {
    const char* hash = std::strchr(reference, '#');
    const std::size_t nameLength =
        hash != nullptr ? static_cast<std::size_t>(hash - reference) : std::strlen(reference);
    const char* fragmentStart = hash != nullptr ? hash + 1 : reference + nameLength;
    const std::size_t fragmentLength = std::strlen(fragmentStart);
    if (nameLength > kMaxPathLength || fragmentLength > kMaxPathLength)
        return false;
    std::memcpy(name, reference, nameLength);
    name[nameLength] = '\0';
    std::memcpy(fragment, fragmentStart, fragmentLength);
    fragment[fragmentLength] = '\0';
    return true;
}

}  // namespace skerrit
