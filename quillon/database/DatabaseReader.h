// Reads a Tavlo Pro database the way Quillon lays it out: the file is walked from the front
// (header, record list, two gap bytes, AppInfo block, records in sequence) without following the
// offsets in the header or the record list. Every limit is checked before a byte is stored, and
// a failure leaves a message that names what was wrong.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "database/Files.h"
#include "database/TavloLayout.h"

namespace quillon {

inline constexpr std::string_view kInvalidAppInfoMessage = "Error - Invalid AppInfo in .pdb file";

class DatabaseReader {
  public:
    explicit DatabaseReader(InputFile& input) : input_(input) {}

    // Header, record list, gap bytes and AppInfo block. On failure errorMessage() says why.
    [[nodiscard]] bool readPrologue();
    // The next record, in file order; its values stay valid until the next call.
    [[nodiscard]] bool readRecord();

    const AppInfo& appInfo() const { return appInfo_; }
    // numRecords less the entries marked deleted.
    size_t liveRecordCount() const { return liveRecordCount_; }
    std::span<const uint8_t> fieldValue(size_t field) const {
        return {record_.data() + valueOffsets_[field], valueLengths_[field]};
    }
    const std::string& errorMessage() const { return errorMessage_; }

  private:
    [[nodiscard]] bool readHeaderAndList();
    [[nodiscard]] bool readFixedAppInfo();
    [[nodiscard]] bool readPopupArea();
    [[nodiscard]] bool readExtraBytes();
    [[nodiscard]] bool fail(std::string message);

    InputFile& input_;
    AppInfo appInfo_;
    size_t liveRecordCount_ = 0;
    size_t recordsRead_ = 0;
    std::vector<uint8_t> record_;
    std::array<size_t, kMaxFields> valueOffsets_{};
    std::array<size_t, kMaxFields> valueLengths_{};
    std::string errorMessage_;
};

}  // namespace quillon
