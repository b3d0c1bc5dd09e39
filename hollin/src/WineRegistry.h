// The registry interface on a Wine prefix's user.reg. Each opened key reads a snapshot of the file;
// setting a value reads the file afresh and replaces it whole, so a change Wine saved in between
// is kept. Setting values from two processes at once would lose one of them: callers hold the
// lock of WineRegistryLock.h around it. Wine itself must not be running while a value is set: it
// saves its own copy on exit.
#pragma once

#include <filesystem>

#include "Registry.h"

namespace hollin {

class WineRegistry final : public Registry {
  public:
    explicit WineRegistry(std::filesystem::path userRegistryFile)
        : file_(std::move(userRegistryFile)) {}

    [[nodiscard]] std::unique_ptr<RegistryKey> openCurrentUserKey(std::string_view path) override;

  private:
    std::filesystem::path file_;
};

}  // namespace hollin
