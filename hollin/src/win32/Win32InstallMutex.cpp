// A mutex whose owner ended without releasing it is handed to the next waiter as "abandoned". That
// owner died between steps of an install, each of which leaves the registry and the Install
// folder consistent on its own (the flag is one value, the copy arrives by one move), so the
// waiter goes on as with a released mutex.
#include "Win32InstallMutex.h"

#include <windows.h>

#include "Hollin.h"

namespace hollin {
namespace {

class HeldMutex final : public InstallLock {
  public:
    explicit HeldMutex(HANDLE mutex) : mutex_(mutex) {}
    ~HeldMutex() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;

  private:
    HANDLE mutex_;
};

}  // namespace

std::unique_ptr<InstallLock> lockInstallMutex() {
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, HOLLIN_INSTALL_MUTEX);
    if (mutex == nullptr) {
        return nullptr;
    }
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<HeldMutex>(mutex);
}

}  // namespace hollin
