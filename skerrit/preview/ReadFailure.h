// What the preview's readers answer when a file is not what they expect: the record at fault
// (or none, for the file as a whole) and what is wrong with it. Readers return false and fill
// one of these; nothing in the reading core throws.
#pragma once

#include <cstdint>
#include <string>

namespace skerrit::preview {

inline constexpr uint32_t kWholeFile = 0xFFFFFFFFu;

struct ReadFailure {
    uint32_t record = kWholeFile;
    std::string what;
};

// "record 7: the compressed text is damaged (...)", or just the text for the whole file.
std::string describeFailure(const ReadFailure& failure);

// Fills `failure` and answers false, so that a reader can `return fail(...)`.
[[nodiscard]] bool fail(ReadFailure& failure, uint32_t record, std::string what);

}  // namespace skerrit::preview
