// The streams the driver hands the database writer, set up in memory: a temporary text stream
// holding the prepared text, an empty temporary scratch stream and the destination "out.pdb".
// Fault countdowns are global, so a test that wants the writer's n-th call to fail adds n to the
// calls already counted once the harness is set up.
#pragma once

#include <cstdint>

#include "support/MemoryCallbacks.h"

namespace skerrit::testing {

inline constexpr const char* kHarnessDestination = "out.pdb";

class WriterHarness {
  public:
    explicit WriterHarness(const Bytes& text);
    ~WriterHarness() { closeAll(); }
    WriterHarness(const WriterHarness&) = delete;
    WriterHarness& operator=(const WriterHarness&) = delete;

    [[nodiscard]] int32_t writeDatabase(const char* title = "Test", uint32_t chunkSize = 4096,
                                        uint32_t chunksPerGroup = 8, uint32_t extraRecords = 0);
    void closeAll();
    const Bytes& output() const { return callbacks.file(kHarnessDestination); }

    MemoryCallbacks callbacks;
    FileObject textStream = nullptr;
    FileObject scratchStream = nullptr;
    FileObject destination = nullptr;
};

}  // namespace skerrit::testing
