// Page opener of the HTML conversion: hands out the driver's open source file for the start page
// so it is not opened twice, then opens linked pages read-only through the callbacks.
#include "engine/PageOpener.h"

namespace skerrit {

PageOpener makePageOpener(const ConversionRequest& request, FileObject source) {
    return PageOpener{&request, source, source};
}

FileObject openPage(PageOpener* opener, const char* path, int32_t /*depth*/) {
    if (opener->cached != nullptr && opener->cached == opener->source)
        return opener->source;
    const ConverterCallbacks& callbacks = *opener->request->callbacks;
    FileObject file = callbacks.openFile(callbacks.context, path, kOpenRead);
    opener->cached = file;
    return file;
}

void closePage(PageOpener* opener, FileObject file) {
    if (file != nullptr && file != opener->source) {
        const ConverterCallbacks& callbacks = *opener->request->callbacks;
        static_cast<void>(callbacks.closeFile(callbacks.context, file));
    }
    opener->cached = nullptr;
}

}  // namespace skerrit
