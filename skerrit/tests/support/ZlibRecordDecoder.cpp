#include "support/ZlibRecordDecoder.h"

#include <zlib.h>

#include "engine/ByteOrder.h"

namespace skerrit::testing {

ParsedDatabase parseDatabase(const Bytes& file, std::string* error) {
    ParsedDatabase database;
    error->clear();
    if (file.size() < 78) {
        *error = "file shorter than the database header";
        return database;
    }
    database.header.assign(file.begin(), file.begin() + 78);
    const uint32_t numRecords = loadBigEndian16(&file[76]);
    if (file.size() < 78 + 8 * size_t{numRecords}) {
        *error = "file shorter than the record list";
        return database;
    }
    for (uint32_t index = 0; index < numRecords; ++index) {
        const uint8_t* entry = &file[78 + 8 * size_t{index}];
        database.listEntries.emplace_back(entry, entry + 8);
        database.offsets.push_back(loadBigEndian32(entry));
    }
    for (uint32_t index = 0; index < numRecords; ++index) {
        const size_t start = database.offsets[index];
        const size_t end = index + 1 < numRecords ? database.offsets[index + 1] : file.size();
        if (start > end || end > file.size()) {
            *error = "record " + std::to_string(index) + " out of order or past the end";
            return database;
        }
        database.records.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(start),
                                      file.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return database;
}

Bytes repackPayload(const Bytes& record) {
    Bytes bytes;
    for (size_t offset = 4; offset + 4 <= record.size(); offset += 4) {
        uint8_t little[4];
        storeLittleEndian32(little, loadBigEndian32(&record[offset]));
        bytes.insert(bytes.end(), little, little + 4);
    }
    return bytes;
}

InflatedRecord inflateTextRecord(const Bytes& codeTableRecord, const Bytes& textRecord) {
    InflatedRecord result{{}, {}, 0, 0};
    Bytes table = repackPayload(codeTableRecord);
    Bytes text = repackPayload(textRecord);
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        result.error = "inflateInit2 failed";
        return result;
    }
    // BFINAL = 1, BTYPE = 10 (dynamic codes), first bit first.
    constexpr int kFinalDynamicBlock = 1 | (2 << 1);
    Bytes output(8192 + 1);
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    int status = inflatePrime(&stream, 3, kFinalDynamicBlock);
    stream.next_in = table.data();
    stream.avail_in = static_cast<uInt>(table.size());
    if (status == Z_OK)
        status = inflate(&stream, Z_TREES);
    if (status != Z_OK || stream.total_out != 0) {
        result.error = "code table rejected: " + std::string(stream.msg ? stream.msg : "?");
        inflateEnd(&stream);
        return result;
    }
    result.tableSpareBits =
        static_cast<uint32_t>(stream.avail_in * 8 + static_cast<uint32_t>(stream.data_type & 7));
    for (uInt index = 0; index < stream.avail_in; ++index) {
        if (stream.next_in[index] != 0)
            result.error = "nonzero bits after the code table";
    }
    // Whatever the header left in inflate's bit buffer is padding of the code table record.
    inflatePrime(&stream, -1, 0);
    stream.next_in = text.data();
    stream.avail_in = static_cast<uInt>(text.size());
    status = inflate(&stream, Z_FINISH);
    if (status != Z_STREAM_END) {
        result.error = "text record did not end with symbol 256 (status " + std::to_string(status) +
                       "): " + (stream.msg ? stream.msg : "");
    }
    result.textSpareBits =
        static_cast<uint32_t>(stream.avail_in * 8 + static_cast<uint32_t>(stream.data_type & 7));
    output.resize(stream.total_out);
    result.text = std::move(output);
    inflateEnd(&stream);
    return result;
}

DecodedTextPart decodeTextPart(const ParsedDatabase& database) {
    DecodedTextPart decoded;
    if (database.records.empty() || database.records[0].size() < 64) {
        decoded.error = "no header record";
        return decoded;
    }
    const uint32_t textPartRecords = loadBigEndian16(&database.records[0][18]);
    if (textPartRecords > database.records.size()) {
        decoded.error = "header record counts more records than the database holds";
        return decoded;
    }
    const Bytes* codeTable = nullptr;
    for (uint32_t index = 1; index < textPartRecords; ++index) {
        const Bytes& record = database.records[index];
        if (record.size() < 4 || record[0] != 4 ||
            record.size() != 4 + 4 * size_t{loadBigEndian16(&record[2])}) {
            decoded.error = "record " + std::to_string(index) + " has a bad prefix";
            return decoded;
        }
        const uint8_t kind = record[1];
        decoded.kinds.push_back(kind);
        if (kind == 1) {
            codeTable = &record;
        } else if (kind == 2 && codeTable != nullptr) {
            InflatedRecord inflated = inflateTextRecord(*codeTable, record);
            if (inflated.error.empty() &&
                (inflated.tableSpareBits >= 32 || inflated.textSpareBits >= 32)) {
                inflated.error = "a record holds a whole unused word";
            }
            if (!inflated.error.empty()) {
                decoded.error = "record " + std::to_string(index) + ": " + inflated.error;
                return decoded;
            }
            decoded.text.insert(decoded.text.end(), inflated.text.begin(), inflated.text.end());
        } else if (kind >= 4 && kind <= 7 && codeTable != nullptr) {
            const size_t padding = kind - 4u;
            for (size_t tail = record.size() - padding; tail < record.size(); ++tail) {
                if (record[tail] != 0)
                    decoded.error = "nonzero padding";
            }
            decoded.text.insert(decoded.text.end(), record.begin() + 4,
                                record.end() - static_cast<std::ptrdiff_t>(padding));
        } else {
            decoded.error =
                "record " + std::to_string(index) + " has unexpected kind " + std::to_string(kind);
            return decoded;
        }
    }
    return decoded;
}

}  // namespace skerrit::testing
