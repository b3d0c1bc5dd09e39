// Result codes of a conversion and the progress codes the engine reports through the callbacks.
#pragma once

#include <cstdint>

namespace skerrit {

enum ResultCode : int32_t {
    kResultOk = 0,
    kResultCanceled = 100,
    // 101 is not used.
    kResultSourceOpenFailed = 102,
    kResultDestinationOpenFailed = 103,
    kResultTempFileFailed = 104,
    kResultPreprocessFailed = 105,
    kResultConversionFailed = 106,
};

enum ProgressCode : int32_t {
    kProgressHtmlParse = 0,       // HTML step 1 of 3 begins; data null
    kProgressHtmlFormat = 1,      // HTML step 2 of 3 begins; data null
    kProgressHtmlCompress = 2,    // HTML step 3 of 3 begins; data null
    kProgressDocPreprocess = 3,   // Doc step 1 of 2 begins; data null
    kProgressTextPreprocess = 4,  // text step 1 of 2 begins; data null
    kProgressTextCompress = 5,    // Doc or text step 2 of 2 begins; data null
    kProgressPageName = 6,        // a page is about to be read; data is its name (text)
    kProgressPercent = 7,         // data points to an int32_t from 0 to 100
    // Data points to a ConversionNotice (ConversionNotice.h); the answer is ignored.
    kProgressNotice = 8,
};

}  // namespace skerrit
