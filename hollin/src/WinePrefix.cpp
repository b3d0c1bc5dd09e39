// Drive letters map through the links Wine keeps in dosdevices/ (c: -> ../drive_c, z: -> /); the
// links are followed by the host itself, so a drive mapped elsewhere by the user works unchanged.
// Palm Desktop's paths are windows-1252 bytes, while Wine names host files in UTF-8 ("Müller" is
// the byte 0xFC in users.dat and the bytes C3 BC on disk), so every component is converted before
// it is looked up.
#include "WinePrefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "AnsiText.h"

namespace hollin {
namespace {

std::filesystem::path homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

std::vector<std::string> splitWindowsPath(std::string_view path) {
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view component = path.substr(start, end - start);
        if (component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!component.empty() && component != ".") {
            components.emplace_back(component);
        }
        start = end + 1;
    }
    return components;
}

}  // namespace

// Found exactly or else without regard to case; `name` itself when there is none (a file or folder
// about to be created).
std::filesystem::path WinePrefix::entryIn(const std::filesystem::path& folder,
                                          const std::string& name) {
    std::error_code error;
    const std::filesystem::path exact = folder / name;
    if (std::filesystem::exists(std::filesystem::symlink_status(exact, error))) {
        return exact;
    }
    for (std::filesystem::directory_iterator entries(folder, error), end; !error && entries != end;
         entries.increment(error)) {
        if (equalsIgnoringAsciiCase(entries->path().filename().string(), name)) {
            return entries->path();
        }
    }
    return exact;
}

WinePrefix WinePrefix::fromEnvironment() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0') {
        return WinePrefix(prefix);
    }
    return WinePrefix(homeFolder() / ".wine");
}

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::optional<std::filesystem::path> WinePrefix::hostPath(std::string_view windowsPath) const {
    if (!hasDriveLetter(windowsPath)) {
        return std::nullopt;
    }
    const char letter = static_cast<char>(windowsPath[0] | 0x20);
    std::filesystem::path host = root_ / "dosdevices" / (std::string(1, letter) + ":");
    std::error_code error;
    if (!std::filesystem::exists(host, error)) {
        return std::nullopt;
    }
    for (const std::string& component : splitWindowsPath(windowsPath.substr(2))) {
        host = entryIn(host, utf8FromAnsi(component));
    }
    return host;
}

}  // namespace hollin
