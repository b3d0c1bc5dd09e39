#include "support/TestSupport.h"

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
