// Any bytes as an information file. The first byte picks the field count (1 to 50); the AppInfo
// block read from the rest is then encoded, as the conversion would write it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/Files.h"
#include "database/InfoFile.h"
#include "database/TavloLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    quillon::AppInfo info = quillon::defaultAppInfo();
    info.fieldCount = 1 + data[0] % quillon::kMaxFields;

    quillon::InputFile typesInput;
    typesInput.openMemory(text);
    std::string message;
    static_cast<void>(
        quillon::ReadInfoFieldTypes(typesInput, info.fieldCount, info.types, message));
    quillon::InputFile input;
    input.openMemory(text);
    if (quillon::ReadInfoFile(input, info, message)) {
        const auto block = quillon::encodeAppInfo(info);
        if (block.size() < quillon::kAppInfoFixedSize + quillon::kMinPopupAndExtraSize) {
            __builtin_trap();
        }
    }
    return 0;
}
