// The PalmDOC record decoder, a template so that the Doc reader feeds it from the source file and
// tests and fuzzers from memory. Included by DocReader.h only.
#pragma once

namespace skerrit {

template <typename NextByte>
int32_t decodePalmDocRecord(NextByte&& next, std::array<uint8_t, kDocRecordCapacity>& out) {
    uint32_t length = 0;
    auto put = [&](uint8_t byte) {
        if (length >= kDocRecordCapacity)
            return false;
        out[length++] = byte;
        return true;
    };
    for (int32_t code = next(); code != kRecordEnd; code = next()) {
        if (code < 0)
            return -1;  // the read failed
        if (code >= 1 && code <= 8) {
            for (int32_t copied = 0; copied < code; ++copied) {
                const int32_t literal = next();
                if (literal < 0 || !put(static_cast<uint8_t>(literal)))
                    return -1;
            }
        } else if (code <= 127) {  // 0 and 9 to 127 stand for themselves
            if (!put(static_cast<uint8_t>(code)))
                return -1;
        } else if (code <= 191) {
            const int32_t second = next();
            if (second < 0)
                return -1;
            const auto pair = static_cast<uint32_t>(((code & 0x3F) << 8) | second);
            const uint32_t distance = pair >> 3;
            const uint32_t count = (pair & 7) + 3;
            // Distance 0 would copy a byte not yet written.
            if (distance == 0 || distance > length)
                return -1;
            for (uint32_t copied = 0; copied < count; ++copied) {
                if (!put(out[length - distance]))
                    return -1;
            }
        } else {
            if (!put(' ') || !put(static_cast<uint8_t>(code & 0x7F)))
                return -1;
        }
    }
    return static_cast<int32_t>(length);
}

}  // namespace skerrit
