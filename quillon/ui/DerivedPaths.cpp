// Derived paths of the dialog's buttons and of the legacy upgrade.
#include "ui/DerivedPaths.h"

namespace quillon {

namespace {

constexpr size_t kExtensionWithDot = 4;

size_t fileNameStart(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::string_view fileNameOf(std::string_view path) {
    return path.substr(fileNameStart(path));
}

std::string pathStem(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    if (name.size() >= kExtensionWithDot && name[name.size() - kExtensionWithDot] == '.') {
        return std::string(path.substr(0, path.size() - kExtensionWithDot));
    }
    return std::string(path);
}

std::string withExtension(std::string_view path, std::string_view extension) {
    return pathStem(path) + "." + std::string(extension);
}

}  // namespace quillon
