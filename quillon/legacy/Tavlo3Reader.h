// Reads a Tavlo 3.x database from the front: header (type and creator checked), record list,
// two gap bytes, AppInfo block, then the records in sequence. Every limit is checked before a
// byte is stored; a failure leaves a message that names what was wrong.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "database/Files.h"
#include "legacy/Tavlo3Layout.h"

namespace quillon::tavlo3 {

class Tavlo3Reader {
  public:
    explicit Tavlo3Reader(InputFile& input) : input_(input) {}

    [[nodiscard]] bool readPrologue();
    // The next record; its values stay valid until the next call.
    [[nodiscard]] bool readRecord();

    const AppInfo3& appInfo() const { return appInfo_; }
    size_t liveRecordCount() const { return liveRecordCount_; }
    std::span<const uint8_t> fieldValue(size_t field) const {
        return {record_.data() + valueOffsets_[field], valueLengths_[field]};
    }
    const std::string& errorMessage() const { return errorMessage_; }

  private:
    [[nodiscard]] bool readHeaderAndList();
    [[nodiscard]] bool readFixedAppInfo();
    [[nodiscard]] bool readPopupArea();
    [[nodiscard]] bool fail(std::string message);

    InputFile& input_;
    AppInfo3 appInfo_;
    size_t liveRecordCount_ = 0;
    size_t recordsRead_ = 0;
    std::vector<uint8_t> record_;
    std::array<size_t, kMaxFields> valueOffsets_{};
    std::array<size_t, kMaxFields> valueLengths_{};
    std::string errorMessage_;
};

}  // namespace quillon::tavlo3
