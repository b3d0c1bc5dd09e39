#include "support/WriterHarness.h"

#include "encoder/DatabaseWriter.h"

namespace skerrit::testing {

WriterHarness::WriterHarness(const Bytes& text) {
    ConverterCallbacks& table = callbacks.table();
    textStream = table.createTempFile(table.context);
    scratchStream = table.createTempFile(table.context);
    destination = table.openFile(table.context, kHarnessDestination, kOpenCreate);
    if (!text.empty()) {
        (void)table.writeFile(table.context, textStream, static_cast<uint32_t>(text.size()),
                              text.data());
    }
}

int32_t WriterHarness::writeDatabase(const char* title, uint32_t chunkSize, uint32_t chunksPerGroup,
                                     uint32_t extraRecords) {
    return skerrit::writeDatabase(callbacks.table(), textStream, scratchStream, destination, title,
                                  chunkSize, chunksPerGroup, extraRecords);
}

void WriterHarness::closeAll() {
    ConverterCallbacks& table = callbacks.table();
    for (FileObject* file : {&destination, &scratchStream, &textStream}) {
        if (*file != nullptr)
            (void)table.closeFile(table.context, *file);
        *file = nullptr;
    }
}

}  // namespace skerrit::testing
