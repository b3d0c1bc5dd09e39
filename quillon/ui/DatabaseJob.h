// The settings of one Quillon conversion. The dialog keeps one job for its whole run so that the
// values carry over from one action to the next; batch mode fills one from the command line.
#pragma once

#include <string>

namespace quillon {

struct DatabaseJob {
    std::string pdbPath;
    std::string csvPath;
    std::string infoPath;
    std::string databaseName;  // empty: ask the user
    char delimiter = ',';      // ',' or ';'
    bool useInfoFile = true;   // the dialog's box starts ticked
    bool batchMode = false;    // reports go to the error file instead of message boxes
};

}  // namespace quillon
