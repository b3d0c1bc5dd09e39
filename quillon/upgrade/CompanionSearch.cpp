#include "upgrade/CompanionSearch.h"

#include <filesystem>
#include <system_error>

#include "QuillonVersion.h"

namespace quillon {

std::vector<std::string> CompanionFolders(const std::string& currentFolder,
                                          const std::string& programFolder) {
    std::vector<std::string> folders{currentFolder};
    if (!programFolder.empty()) {
        folders.push_back(programFolder);
        folders.push_back(
            (std::filesystem::path(programFolder) / QUILLON_COMPANION_DIR_FROM_BIN).string());
    }
    return folders;
}

std::string LocateCompanion(std::string_view program, const std::vector<std::string>& folders) {
    std::string first;
    for (const std::string& folder : folders) {
        const std::string candidate =
            (std::filesystem::path(folder) / program).lexically_normal().string();
        if (first.empty()) {
            first = candidate;
        }
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return first;
}

}  // namespace quillon
