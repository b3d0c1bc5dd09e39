// Installs from several processes at once: each edits user.reg by reading it, adding its flag and
// writing it back, so without serialisation one process writes over the other's flag.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "support/FreshLibrary.h"
#include "support/WinePrefixFixture.h"

namespace hollin::test {
namespace {

const std::vector<UsersDatEntry> kTwoUsers = {{1234, "John Smith", "SmithJ"},
                                              {77, "Ann Doe", "DoeA"}};

// Other programs' keys make user.reg as large as a real prefix's, so that reading and writing it
// takes long enough for two installs to overlap.
std::string userRegWithOtherPrograms(const std::string& palmUserReg) {
    UserRegWriter others(false);
    for (int key = 0; key < 1000; ++key) {
        others.key("Software\\Other Vendor\\Program " + std::to_string(key))
            .text("Setting", "a value of some length to fill the file")
            .number("Count", static_cast<std::uint32_t>(key));
    }
    return palmUserReg + others.str();
}

// `text` with every copy of `line` taken out, and how many there were.
std::pair<std::string, int> withoutLine(std::string text, const std::string& line) {
    int count = 0;
    for (std::size_t at; (at = text.find(line)) != std::string::npos; ++count) {
        text.erase(at, line.size());
    }
    return {text, count};
}

TEST(ConcurrentInstall, TwoProcessesInstallingForTwoUsersBothKeepTheirFlags) {
    const TempWinePrefix prefix;
    prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
    const std::string userReg = userRegWithOtherPrograms(prefix.readFile("user.reg"));
    prefix.writeFile("drive_c/book.pdb", "data");
    auto installFor = [](int32_t userIndex) {
        return [userIndex](HollinApi& api) {
            return std::to_string(api.installUser(userIndex, "C:\\book.pdb"));
        };
    };

    constexpr int kRounds = 40;
    int roundsLosingAFlag = 0;
    for (int round = 0; round < kRounds; ++round) {
        prefix.writeFile("user.reg", userReg);
        const std::vector<std::string> results =
            inFreshLibrariesAtOnce(prefix.root(), {installFor(0), installFor(1)});
        ASSERT_EQ(results, (std::vector<std::string>{"0", "0"})) << "round " << round;
        // Each flag once, and apart from the two flag lines the file as it was.
        const auto [withoutFirst, firstFlags] =
            withoutLine(prefix.readFile("user.reg"), "\"Install1234\"=dword:00000001\n");
        const auto [rest, secondFlags] =
            withoutLine(withoutFirst, "\"Install77\"=dword:00000001\n");
        ASSERT_EQ(rest, userReg) << "round " << round;
        if (firstFlags != 1 || secondFlags != 1) {
            ++roundsLosingAFlag;
        }
    }
    EXPECT_EQ(roundsLosingAFlag, 0) << "of " << kRounds << " rounds";
}

}  // namespace
}  // namespace hollin::test
