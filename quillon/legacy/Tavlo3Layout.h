// The database layout of the older Tavlo 3.x application, as the companion "ferrand.exe" reads
// it. It is the Tavlo Pro arrangement in a smaller form: the same 78-byte header and record list,
// two zero bytes, a shorter AppInfo block (30 fields, no extra data and no end marker, two 3.x
// display settings) and the same record format. docs/tavlo3-format.md describes it for people.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/TavloLayout.h"

namespace quillon::tavlo3 {

inline constexpr std::string_view kDatabaseType = "Tav3";
inline constexpr std::string_view kDatabaseCreator = "Tavl";
inline constexpr size_t kTypeOffset = 60;
inline constexpr size_t kCreatorOffset = 64;

inline constexpr size_t kMaxFields = 30;

// AppInfo block offsets, from the start of the block.
inline constexpr size_t kFieldNamesOffset = 0;  // 30 slots of 21 bytes, as in Tavlo Pro
inline constexpr size_t kFieldTypesOffset = 630;
inline constexpr size_t kFieldCountOffset = 690;
inline constexpr size_t kColumnWidthsOffset = 692;
inline constexpr size_t kDataScreenWidthOffset = 752;
inline constexpr size_t kFirstDisplayColumnOffset = 754;
inline constexpr size_t kSortFieldOffset = 756;
inline constexpr size_t kViewFlagsOffset = 758;
inline constexpr size_t kAppInfoFixedSize = 760;  // where the popup area starts
static_assert(kFieldNamesOffset + kMaxFields * kFieldNameSlotSize == kFieldTypesOffset);
static_assert(kFieldTypesOffset + kMaxFields * 2 == kFieldCountOffset);
static_assert(kColumnWidthsOffset + kMaxFields * 2 == kDataScreenWidthOffset);

// The AppInfo block of a 3.x database in native form.
struct AppInfo3 {
    size_t fieldCount = 0;
    std::array<std::string, kMaxFields> names;
    std::array<uint16_t, kMaxFields> types{};
    std::array<uint16_t, kMaxFields> widths{};
    uint16_t dataScreenWidth = 0;
    uint16_t firstDisplayColumn = 0;
    uint16_t sortField = 0;
    uint16_t viewFlags = 0;
    // The popup strings in order, up to the closing empty string (not stored).
    std::vector<std::string> popupStrings;
};

}  // namespace quillon::tavlo3
