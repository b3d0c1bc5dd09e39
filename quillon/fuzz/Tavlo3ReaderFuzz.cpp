// Any bytes as a Tavlo 3.x database, converted by ferrand.exe's code to CSV and the older
// information file in memory: the reader must stop with a message or finish, never read or write
// past a buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/Files.h"
#include "legacy/Tavlo3ToCsv.h"

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
    const bool ok = quillon::tavlo3::convertTavlo3ToCsv(database, csv, &info, liveCount, message);
    if (ok != message.empty()) {
        __builtin_trap();
    }
    return 0;
}
