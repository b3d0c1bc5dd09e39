// Fuzzes the user.reg reader and editor: any text parses without fault, and setting a number in
// any key that exists gives a file that parses again with that number in place.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "WineRegistryText.h"

namespace {

void checkEdit(const hollin::WineRegistryText& registry, const std::string& path) {
    const auto edited = registry.withNumber(path, "Install42", 1, 1700000000);
    if (!edited) {
        if (registry.keyExists(path)) {
            std::abort();
        }
        return;
    }
    hollin::WineRegistryText reread;
    if (!reread.parse(*edited)) {
        std::abort();
    }
    const hollin::RegistryValue* value = reread.findValue(path, "install42");
    if (value == nullptr || value->kind != hollin::RegistryValueKind::number) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    hollin::WineRegistryText registry;
    if (!registry.parse(std::string(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    for (const hollin::RegistrySection& section : registry.sections()) {
        for (const hollin::RegistryValue& value : section.values) {
            if (registry.findValue(section.path, value.name) == nullptr) {
                std::abort();
            }
        }
    }
    if (!registry.sections().empty()) {
        const std::string path = registry.sections().front().path;
        checkEdit(registry, path);
        checkEdit(registry, path.substr(0, path.find('\\')));
    }
    checkEdit(registry, "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager");
    return 0;
}
