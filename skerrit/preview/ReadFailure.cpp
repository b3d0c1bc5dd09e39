#include "preview/ReadFailure.h"

#include <utility>

namespace skerrit::preview {

std::string describeFailure(const ReadFailure& failure) {
    if (failure.record == kWholeFile)
        return failure.what;
    return "record " + std::to_string(failure.record) + ": " + failure.what;
}

bool fail(ReadFailure& failure, uint32_t record, std::string what) {
    failure.record = record;
    failure.what = std::move(what);
    return false;
}

}  // namespace skerrit::preview
