#include "WinePrefixFixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <stdexcept>

namespace hollin::test {

std::string escapeRegText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            escaped.push_back('\\');
        }
        escaped.push_back(c);
    }
    return escaped;
}

UserRegWriter& UserRegWriter::key(std::string_view path) {
    text_ += "\n[" + escapeRegText(path) + "] 1700000000\n#time=1d9f0f1e0c0d0e0\n";
    return *this;
}

UserRegWriter& UserRegWriter::text(std::string_view name, std::string_view value) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely on chains of + over strings.
    text_ += '"';
    text_ += escapeRegText(name);
    text_ += "\"=\"";
    text_ += escapeRegText(value);
    text_ += "\"\n";
    return *this;
}

UserRegWriter& UserRegWriter::number(std::string_view name, std::uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
    text_ += '"';
    text_ += escapeRegText(name);
    text_ += "\"=dword:";
    text_ += digits;
    text_ += '\n';
    return *this;
}

std::string usersDatBytes(const std::vector<UsersDatEntry>& users, std::string_view tail) {
    std::string bytes(1, static_cast<char>(users.size()));
    bytes += std::string(12, '\x55');
    for (std::size_t index = 0; index < users.size(); ++index) {
        const UsersDatEntry& user = users[index];
        bytes.push_back(static_cast<char>(user.magic & 0xFF));
        bytes.push_back(static_cast<char>(user.magic >> 8));
        bytes += std::string("\x11\x22", 2);
        bytes.push_back(static_cast<char>(user.name.size()));
        bytes += user.name;
        bytes.push_back(static_cast<char>(user.folder.size()));
        bytes += user.folder;
        bytes.push_back('\x01');  // the ignored byte; an 0x01 here must not start the marker
        if (index + 1 < users.size()) {
            bytes += std::string("\x80\x09\x01\x7F\x01\x80", 6);
        }
    }
    return bytes + std::string(tail);
}

TempWinePrefix::TempWinePrefix() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "hollin-prefix-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    root_ = pattern;
    std::filesystem::create_directories(root_ / "drive_c");
    std::filesystem::create_directories(root_ / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", root_ / "dosdevices" / "c:");
}

TempWinePrefix::~TempWinePrefix() {
    std::error_code error;
    std::filesystem::remove_all(root_, error);
}

void TempWinePrefix::writeFile(const std::filesystem::path& relative,
                               std::string_view bytes) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::string readFileBytes(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    std::string contents(error ? 0 : size, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    contents.resize(static_cast<std::size_t>(in.gcount()));
    return contents;
}

}  // namespace

std::string TempWinePrefix::readFile(const std::filesystem::path& relative) const {
    return readFileBytes(root_ / relative);
}

void TempWinePrefix::installPalmDesktop(const std::vector<UsersDatEntry>& users,
                                        std::string_view lastUser, std::string_view vendor) const {
    const std::string base = "Software\\" + std::string(vendor) + "\\Pilot Desktop\\";
    writeFile("user.reg", UserRegWriter()
                              .key(base + "Core")
                              .text("Path", "C:\\Palm")
                              .key(base + "HotSync Manager")
                              .number("Install0", 0)
                              .key(base + "Preferences")
                              .text("LastUserName", lastUser)
                              .str());
    writeFile("drive_c/Palm/users.dat", usersDatBytes(users));
    for (const UsersDatEntry& user : users) {
        std::filesystem::create_directories(driveC() / "Palm" / user.folder);
    }
}

std::string listFiles(const std::filesystem::path& folder) {
    std::set<std::string> lines;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string relative = entry.path().lexically_relative(folder).string();
        if (entry.is_directory()) {
            lines.insert(relative + "/");
        } else {
            lines.insert(relative + "=" + readFileBytes(entry.path()));
        }
    }
    std::string listing;
    for (const std::string& line : lines) {
        listing += line + "\n";
    }
    return listing;
}

}  // namespace hollin::test
