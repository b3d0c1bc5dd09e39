// Any bytes as a Tavlo Pro database, converted to CSV and an information file in memory: the
// reader must stop with a message or finish, never read or write past a buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/PdbToCsv.h"
#include "database/Files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillon::InputFile database;
    database.openMemory(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string csvText;
    std::string infoText;
    quillon::OutputFile csv;
    quillon::OutputFile info;
    csv.openMemory(csvText);
    info.openMemory(infoText);
    size_t liveCount = 0;
    std::string message;
    const bool ok = quillon::convertDatabaseToCsv(database, csv, &info, ',', liveCount, message);
    // Every stop carries a message, and only a stop does.
    if (ok != message.empty()) {
        __builtin_trap();
    }
    return 0;
}
