#include "WineRegistry.h"

#include <ctime>

#include "HostFiles.h"
#include "StagedFile.h"
#include "WineRegistryText.h"

namespace hollin {
namespace {

// A user.reg of a prefix with many programs installed is a few megabytes; far beyond that the file
// is not one Wine wrote.
constexpr std::size_t kLargestRegistryFile = std::size_t{256} << 20;

std::shared_ptr<const WineRegistryText> loadRegistry(const std::filesystem::path& file) {
    std::optional<std::string> contents = readWholeFile(file, kLargestRegistryFile);
    if (!contents) {
        return nullptr;
    }
    auto registry = std::make_shared<WineRegistryText>();
    if (!registry->parse(std::move(*contents))) {
        return nullptr;
    }
    return registry;
}

class WineRegistryKey final : public RegistryKey {
  public:
    WineRegistryKey(std::filesystem::path file, std::shared_ptr<const WineRegistryText> snapshot,
                    std::string path)
        : file_(std::move(file)), snapshot_(std::move(snapshot)), path_(std::move(path)) {}

    std::optional<std::string> readText(std::string_view valueName, std::size_t capacity) override {
        const RegistryValue* value = snapshot_->findValue(path_, valueName);
        if (value == nullptr || (value->kind != RegistryValueKind::text &&
                                 value->kind != RegistryValueKind::expandableText)) {
            return std::nullopt;
        }
        if (value->text.size() + 1 > capacity) {
            return std::nullopt;
        }
        return value->text.substr(0, value->text.find('\0'));
    }

    bool setNumber(std::string_view valueName, std::uint32_t value) override {
        std::error_code error;
        // Replace the file a link points to, not the link.
        const std::filesystem::path target = std::filesystem::canonical(file_, error);
        if (error) {
            return false;
        }
        const std::shared_ptr<const WineRegistryText> current = loadRegistry(target);
        if (!current) {
            return false;
        }
        const std::optional<std::string> edited = current->withNumber(
            path_, valueName, value, static_cast<std::int64_t>(std::time(nullptr)));
        return edited.has_value() && replaceFileContents(target, *edited);
    }

    std::unique_ptr<RegistryKey> openSubKey(std::string_view path) override {
        std::string subPath = path_.empty() ? std::string(path) : path_ + "\\" + std::string(path);
        if (!snapshot_->keyExists(subPath)) {
            return nullptr;
        }
        return std::make_unique<WineRegistryKey>(file_, snapshot_, std::move(subPath));
    }

  private:
    std::filesystem::path file_;
    std::shared_ptr<const WineRegistryText> snapshot_;
    std::string path_;
};

}  // namespace

std::unique_ptr<RegistryKey> WineRegistry::openCurrentUserKey(std::string_view path) {
    std::shared_ptr<const WineRegistryText> snapshot = loadRegistry(file_);
    if (!snapshot || !snapshot->keyExists(path)) {
        return nullptr;
    }
    return std::make_unique<WineRegistryKey>(file_, std::move(snapshot), std::string(path));
}

}  // namespace hollin
