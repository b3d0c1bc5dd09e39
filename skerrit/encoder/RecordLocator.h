// Finding a record of a Palm database through the conversion callbacks: its offset comes from
// its record list entry, its size from the next entry's offset (or the file size for the last
// record). The database writer uses it for record 0 of the output; the Doc reader for the
// records of its input.
#pragma once

#include <cstdint>

#include "encoder/DatabaseLayout.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

// Reads the 78-byte database header from the start of the file.
[[nodiscard]] bool readDatabaseHeader(const ConverterCallbacks& callbacks, FileObject file,
                                      DatabaseHeaderBytes* header);

// Offset and size of record `index` of the database whose header is `databaseHeader` (78 bytes).
// Fails for an index not below numRecords, a following offset smaller than this one, or any
// failing seek or read. Leaves the file position undefined: seek to *offset before using it.
[[nodiscard]] bool locateRecord(const ConverterCallbacks& callbacks, FileObject file,
                                const uint8_t* databaseHeader, uint32_t index, uint32_t* offset,
                                uint32_t* size);

// Reads the 64-byte header record (record 0) of the output database; *offset says where it is
// for writing it back. Fails when record 0 cannot be located or is shorter than 64 bytes.
[[nodiscard]] bool readHeaderRecord(const ConverterCallbacks& callbacks, FileObject file,
                                    HeaderRecordBytes* record, uint32_t* offset);

}  // namespace skerrit
