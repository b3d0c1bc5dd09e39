// What a conversion tells besides its result code: why a step failed when no system call did
// (a limit of the database, a book in a form that is not read), and what a limit left out of a
// conversion that still succeeded. Notices travel through the progress slot as kProgressNotice,
// so the result codes, the callback table and the output bytes stay as they are; a progress
// callback that does not know the code prints nothing for it, and a table without a progress
// slot hears of none.
#pragma once

#include <cstdint>

#include "engine/ConverterCallbacks.h"
#include "engine/ResultCodes.h"

namespace skerrit {

enum NoticeKind : int32_t {
    // Failures, each followed by the result it explains.
    kNoticeTextTooLong = 1,       // 105: count = bytes of prepared text, limit = the most allowed
    kNoticeTooManyRecords = 2,    // 106: count = records an HTML document needs, limit = the most
    kNoticeDocCompression = 3,    // 105: count = the Doc header's compression field
    kNoticeDocHeaderDamaged = 4,  // 105: record 0 or the record list cannot be used
    kNoticeDocRecordDamaged = 5,  // 105: count = index of the text record
    // Limits that left something out of a successful HTML conversion.
    kNoticePagesNotConverted = 6,  // count = queued pages never taken, limit = pages taken
    kNoticeDeepLinksDropped = 7,   // count = links not recorded, limit = deepest page recorded
    kNoticeLinksUnresolved = 8,    // count = links left unresolved, limit = pages the table holds
};

struct ConversionNotice {
    int32_t kind;
    uint64_t count;
    uint64_t limit;
};

inline void reportNotice(const ConverterCallbacks& callbacks, NoticeKind kind, uint64_t count,
                         uint64_t limit = 0) {
    if (callbacks.progress == nullptr)
        return;
    const ConversionNotice notice{kind, count, limit};
    static_cast<void>(callbacks.progress(callbacks.context, kProgressNotice, &notice));
}

}  // namespace skerrit
