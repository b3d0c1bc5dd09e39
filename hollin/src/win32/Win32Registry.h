// The registry of the current user through the Win32 registry functions (the ANSI ones, since
// the library speaks the ANSI code page).
#pragma once

#include "Registry.h"

namespace hollin {

class Win32Registry final : public Registry {
  public:
    [[nodiscard]] std::unique_ptr<RegistryKey> openCurrentUserKey(std::string_view path) override;
};

}  // namespace hollin
