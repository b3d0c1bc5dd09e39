// Keys are opened with only the access each use needs: reading for the user list, and setting a
// value for the install flag, so that a key the user may read but not change still lists users.
#include "Win32Registry.h"

#include <windows.h>

#include <vector>

namespace hollin {
namespace {

HKEY openKey(HKEY parent, std::string_view path, REGSAM access) {
    const std::string name(path);
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

class Win32RegistryKey final : public RegistryKey {
  public:
    // `parent` and `path` are kept so that the key can be opened again for writing.
    Win32RegistryKey(HKEY key, HKEY parent, std::string path)
        : key_(key), parent_(parent), path_(std::move(path)) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    std::optional<std::string> readText(std::string_view valueName, std::size_t capacity) override {
        const std::string name(valueName);
        std::vector<char> buffer(capacity);
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(capacity);
        const LONG status = RegQueryValueExA(key_, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer.data()), &size);
        // ERROR_MORE_DATA: the value does not fit, and is then not read at all.
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return std::nullopt;
        }
        const std::string_view stored(buffer.data(), size);
        const std::size_t end = stored.find('\0');
        // A value stored without its NUL needs one byte more than it holds.
        if (end == std::string_view::npos && size + std::size_t{1} > capacity) {
            return std::nullopt;
        }
        return std::string(stored.substr(0, end));
    }

    bool setNumber(std::string_view valueName, std::uint32_t value) override {
        const HKEY writable = openKey(parent_, path_, KEY_SET_VALUE);
        if (writable == nullptr) {
            return false;
        }
        const std::string name(valueName);
        const DWORD number = value;
        const LONG status = RegSetValueExA(writable, name.c_str(), 0, REG_DWORD,
                                           reinterpret_cast<const BYTE*>(&number), sizeof number);
        RegCloseKey(writable);
        return status == ERROR_SUCCESS;
    }

    std::unique_ptr<RegistryKey> openSubKey(std::string_view path) override {
        std::string subPath = path_ + "\\" + std::string(path);
        const HKEY key = openKey(parent_, subPath, KEY_READ);
        if (key == nullptr) {
            return nullptr;
        }
        return std::make_unique<Win32RegistryKey>(key, parent_, std::move(subPath));
    }

  private:
    HKEY key_;
    HKEY parent_;
    std::string path_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::openCurrentUserKey(std::string_view path) {
    const HKEY key = openKey(HKEY_CURRENT_USER, path, KEY_READ);
    if (key == nullptr) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key, HKEY_CURRENT_USER, std::string(path));
}

}  // namespace hollin
