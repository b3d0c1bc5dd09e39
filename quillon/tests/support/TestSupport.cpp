#include "support/TestSupport.h"

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace quillon::test {

TempDir::TempDir() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    do {
        root_ = base / ("quillon-test-" + std::to_string(seed()));
    } while (!std::filesystem::create_directory(root_));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

namespace {

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

ProgramRun runProgram(const std::filesystem::path& folder, const std::string& program,
                      const std::vector<std::string>& arguments, const std::string& input) {
    return runProgram(folder, program, arguments, ProgramSetting{input, {}, ""});
}

ProgramRun runProgram(const std::filesystem::path& folder, const std::string& program,
                      const std::vector<std::string>& arguments, const ProgramSetting& setting) {
    // Beside the folder, so that they never show among the files a run leaves behind.
    static std::atomic<unsigned> runCount{0};
    const std::string runName = folder.filename().string() + "." + std::to_string(++runCount);
    const std::filesystem::path inputFile = folder.parent_path() / (runName + ".in");
    const std::filesystem::path errorFile = folder.parent_path() / (runName + ".err");
    writeFile(inputFile.string(), setting.input);
    std::string command = "cd " + shellQuoted(folder.string()) + " && " + setting.shellSetup +
                          " exec timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    for (const std::string& assignment : setting.environment) {
        command += " " + shellQuoted(assignment);
    }
    command += " " + shellQuoted(program);
    for (const std::string& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    command += " <" + shellQuoted(inputFile.string()) + " 2>" + shellQuoted(errorFile.string()) +
               " >/dev/null";
    const int status = std::system(("(" + command + ")").c_str());
    ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errorFile.string())};
    std::filesystem::remove(inputFile);
    std::filesystem::remove(errorFile);
    return run;
}

std::vector<std::string> filesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string fromHex(std::string_view hex) {
    std::string bytes;
    int high = -1;
    for (const char c : hex) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else if (c == ' ') {
            continue;
        } else {
            throw std::invalid_argument("not hex");
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + value));
            high = -1;
        }
    }
    return bytes;
}

std::string toHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

}  // namespace quillon::test

#include "database/ByteOrder.h"

namespace quillon::test {

std::string buildDatabase(const AppInfo& info, const std::vector<std::vector<std::string>>& records,
                          const std::vector<uint8_t>& attributes) {
    std::vector<uint32_t> sizes;
    std::string body;
    for (const auto& record : records) {
        std::string lengths;
        std::string values;
        for (const std::string& value : record) {
            uint8_t length[2];
            storeBigEndian16(length, static_cast<uint32_t>(value.size()));
            lengths.append(reinterpret_cast<const char*>(length), 2);
            values += value;
        }
        sizes.push_back(static_cast<uint32_t>(lengths.size() + values.size()));
        body += lengths + values;
    }
    while (sizes.size() < attributes.size()) {
        sizes.push_back(0);  // deleted entries beyond the records given
    }
    const std::vector<uint8_t> block = encodeAppInfo(info);
    std::vector<uint8_t> prologue = encodeDatabasePrologue("test", sizes, block.size());
    for (size_t entry = 0; entry < attributes.size(); ++entry) {
        prologue[kHeaderSize + kRecordEntrySize * entry + 4] = attributes[entry];
    }
    std::string bytes(prologue.begin(), prologue.end());
    bytes.append(block.begin(), block.end());
    return bytes + body;
}

AppInfo appInfoWithFields(const std::vector<std::string>& names) {
    AppInfo info = defaultAppInfo();
    info.fieldCount = names.size();
    std::copy(names.begin(), names.end(), info.names.begin());
    return info;
}

}  // namespace quillon::test

namespace quillon::test {

std::string buildTavlo3Database(const tavlo3::AppInfo3& info,
                                const std::vector<std::vector<std::string>>& records,
                                const std::vector<uint8_t>& attributes) {
    namespace t3 = tavlo3;
    std::vector<uint8_t> block(t3::kAppInfoFixedSize, 0);
    for (size_t field = 0; field < info.fieldCount; ++field) {
        std::copy(info.names[field].begin(), info.names[field].end(),
                  block.begin() + static_cast<std::ptrdiff_t>(field * kFieldNameSlotSize));
    }
    for (size_t field = 0; field < t3::kMaxFields; ++field) {
        storeBigEndian16(block.data() + t3::kFieldTypesOffset + 2 * field, info.types[field]);
        storeBigEndian16(block.data() + t3::kColumnWidthsOffset + 2 * field, info.widths[field]);
    }
    storeBigEndian16(block.data() + t3::kFieldCountOffset, static_cast<uint32_t>(info.fieldCount));
    storeBigEndian16(block.data() + t3::kDataScreenWidthOffset, info.dataScreenWidth);
    storeBigEndian16(block.data() + t3::kFirstDisplayColumnOffset, info.firstDisplayColumn);
    storeBigEndian16(block.data() + t3::kSortFieldOffset, info.sortField);
    storeBigEndian16(block.data() + t3::kViewFlagsOffset, info.viewFlags);
    for (const std::string& line : info.popupStrings) {
        block.insert(block.end(), line.begin(), line.end());
        block.push_back(0);
    }
    block.push_back(0);  // the closing empty string

    std::string body;
    std::vector<uint32_t> sizes;
    for (const auto& record : records) {
        std::string lengths;
        std::string values;
        for (const std::string& value : record) {
            uint8_t length[2];
            storeBigEndian16(length, static_cast<uint32_t>(value.size()));
            lengths.append(reinterpret_cast<const char*>(length), 2);
            values += value;
        }
        sizes.push_back(static_cast<uint32_t>(lengths.size() + values.size()));
        body += lengths + values;
    }
    while (sizes.size() < attributes.size()) {
        sizes.push_back(0);
    }
    std::vector<uint8_t> prologue = encodeDatabasePrologue("old", sizes, block.size());
    std::copy(t3::kDatabaseType.begin(), t3::kDatabaseType.end(),
              prologue.begin() + t3::kTypeOffset);
    std::copy(t3::kDatabaseCreator.begin(), t3::kDatabaseCreator.end(),
              prologue.begin() + t3::kCreatorOffset);
    // 3.x files have the usual zero gap after the record list.
    prologue[prologue.size() - 2] = 0;
    for (size_t entry = 0; entry < attributes.size(); ++entry) {
        prologue[kHeaderSize + kRecordEntrySize * entry + 4] = attributes[entry];
    }
    std::string bytes(prologue.begin(), prologue.end());
    bytes.append(block.begin(), block.end());
    return bytes + body;
}

std::string sampleTavlo3Database(const std::string& firstFieldName) {
    tavlo3::AppInfo3 info;
    info.fieldCount = 3;
    info.names[0] = firstFieldName;
    info.names[1] = "Phone";
    info.names[2] = "Photo";
    info.types[0] = 1;
    info.types[1] = 5;
    info.types[2] = kBinaryFieldType;
    info.widths[0] = 80;
    info.widths[1] = 40;
    info.widths[2] = 60;
    info.dataScreenWidth = 100;
    info.firstDisplayColumn = 2;
    info.sortField = 1;
    info.viewFlags = 3;
    info.popupStrings = {"popupPhone", "home", "work"};
    using namespace std::string_literals;
    return buildTavlo3Database(
        info, {{"Ann\0"s, "555\0"s, "\x01\xAB"s}, {"Bob \"B\"\0"s, "line\nbreak\0"s, ""s}},
        {0, 0, kDeletedRecordBit});
}

}  // namespace quillon::test
