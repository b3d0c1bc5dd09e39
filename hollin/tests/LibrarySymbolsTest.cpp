// libHollin.so shows host programs the seven exports and nothing else: no internal function or
// library template can clash with a host's own symbols or keep the library from unloading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

namespace {

TEST(LibrarySymbols, OnlyTheSevenExportsAreVisible) {
    if (std::system("command -v nm >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "nm (binutils) is not installed";
    }
    FILE* pipe = ::popen("nm -D --defined-only '" HOLLIN_LIBRARY "'", "r");
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        listing.push_back(static_cast<char>(c));
    }
    ASSERT_EQ(::pclose(pipe), 0) << listing;

    std::set<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        names.insert(line.substr(line.find_last_of(' ') + 1));
    }
    const std::set<std::string> exports = {
        "ud_InstallUser", "ud_GetUserSubDir",     "ud_GetUserName", "ud_GetUserMagic",
        "ud_GetCore",     "ud_GetLastUserNumber", "ud_GetNumUsers"};
    EXPECT_EQ(names, exports) << listing;
}

}  // namespace
