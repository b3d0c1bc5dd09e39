// Copies plain text into the text stream with the line-break and tab options of the command line
// applied. feedText takes the input in pieces and carries its state from one piece to the next,
// so a line break split between two reads is still one break.
#pragma once

#include <cstdint>

#include "engine/ConversionRequest.h"
#include "engine/ConverterCallbacks.h"

namespace skerrit {

// Pieces in which sources are read and fed.
inline constexpr uint32_t kTextPieceSize = 4096;

// breakState of the single-break mode (-sLB): what is pending after the last byte fed.
enum BreakState : int32_t {
    kInsideText = 0,
    kCarriageReturnPending = 1,
    kLineFeedPending = 2,
    kCarriageReturnLineFeedPending = 3,
    kInsideBreakRun = 4,  // two or more breaks seen: they are copied as they are
};

struct TextPreparer {
    int32_t breakState;
    const ConverterCallbacks* callbacks;
    FileObject output;        // null: nothing is written, the bytes are only counted
    uint64_t preparedLength;  // bytes handed to the output so far
    int32_t removeCR;
    int32_t removeLF;
    int32_t convertCRtoLF;
    int32_t singleBreakSpaces;  // kNotSet or a count
    int32_t tabLineBreaks;      // kNotSet or a count
    int32_t tabSpaces;          // kNotSet or a count
};

TextPreparer makeTextPreparer(const ConversionRequest& request, FileObject textStream);

// Processes one piece of input; false when a write wrote fewer bytes than asked.
[[nodiscard]] bool feedText(TextPreparer& preparer, const uint8_t* bytes, uint32_t count);

// Copies a whole plain-text source into the text stream: kResultOk, kResultCanceled or
// kResultPreprocessFailed. With a null text stream nothing is written; preparedLength, when given,
// receives the number of bytes the preparation produced (or would have produced).
[[nodiscard]] int32_t prepareText(const ConversionRequest& request, FileObject source,
                                  FileObject textStream, uint64_t* preparedLength = nullptr);

}  // namespace skerrit
