// The read-only exports against prefixes in many states, each case in a freshly loaded library:
// what every export returns and what lands in (or stays out of) the caller's buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "support/FreshLibrary.h"
#include "support/WinePrefixFixture.h"

namespace hollin::test {
namespace {

const std::vector<UsersDatEntry> kTwoUsers = {{1234, "John Smith", "SmithJ"},
                                              {77, "Ann Doe", "DoeA"}};
const std::string kUsrBase = "Software\\U.S. Robotics\\Pilot Desktop\\";
const std::string kPalmBase = "Software\\Palm Computing\\Pilot Desktop\\";

const std::string kNotFound =
    "core=-1:'untouched' users=-1 last=-1 | 0:-1 'untouched' -1 'untouched' -1";
const std::string kTwoUsersRead =
    "core=0:'C:\\Palm' users=2 last=1 | 0:0 'John Smith' 0 'SmithJ' 1234 | 1:0 'Ann Doe' 0 "
    "'DoeA' 77 | 2:-3 '' -3 '' -3";
const std::string kNoUserList = "core=0:'C:\\Palm' users=0 last=0 | 0:-2 '' -2 '' -2";

// `count` users numbered from 0, and what the exports report for them with the last one last.
std::vector<UsersDatEntry> numberedUsers(int count) {
    std::vector<UsersDatEntry> users;
    for (int index = 0; index < count; ++index) {
        users.push_back({static_cast<std::uint16_t>(index), "U" + std::to_string(index),
                         "F" + std::to_string(index)});
    }
    return users;
}

std::string numberedUsersRead(int count) {
    std::string text =
        "core=0:'C:\\Palm' users=" + std::to_string(count) + " last=" + std::to_string(count - 1);
    for (int index = 0; index < count; ++index) {
        const std::string number = std::to_string(index);
        text += " | " + number + ":0 'U" + number + "' 0 'F" + number + "' " + number;
    }
    return text + " | " + std::to_string(count) + ":-3 '' -3 '' -3";
}

struct PrefixCase {
    const char* what;
    std::function<void(const TempWinePrefix&)> build;
    std::string expected;
};

void PrintTo(const PrefixCase& prefixCase, std::ostream* out) {
    *out << prefixCase.what;
}

class UserListExports : public testing::TestWithParam<PrefixCase> {};

TEST_P(UserListExports, ReportWhatThePrefixHolds) {
    const TempWinePrefix prefix;
    GetParam().build(prefix);
    EXPECT_EQ(inFreshLibrary(prefix.root(), describeUsers), GetParam().expected);
}

const PrefixCase kPrefixCases[] = {
    {"NoUserReg", [](const TempWinePrefix&) {}, kNotFound},
    {"NoPalmKeys",
     [](const TempWinePrefix& p) {
         p.writeFile("user.reg",
                     UserRegWriter().key("Software\\Wine").text("Version", "win7").str());
     },
     kNotFound},
    {"NotAWineRegistryFile",
     [](const TempWinePrefix& p) {
         std::string text = UserRegWriter().key(kUsrBase + "Core").text("Path", "C:\\Palm").str();
         p.writeFile("user.reg", "REGEDIT4" + text.substr(text.find('\n')));
     },
     kNotFound},
    {"VendorKeyWithoutPath",
     [](const TempWinePrefix& p) {
         p.writeFile(
             "user.reg",
             UserRegWriter().key(kPalmBase + "Preferences").text("LastUserName", "Ann Doe").str());
     },
     "core=0:'' users=0 last=0 | 0:-2 '' -2 '' -2"},
    {"UsRoboticsKey", [](const TempWinePrefix& p) { p.installPalmDesktop(kTwoUsers, "Ann Doe"); },
     kTwoUsersRead},
    {"PalmComputingKey",
     [](const TempWinePrefix& p) { p.installPalmDesktop(kTwoUsers, "Ann Doe", "Palm Computing"); },
     kTwoUsersRead},
    {"BothVendorKeysUseUsRobotics",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe");
         p.writeFile(
             "user.reg",
             p.readFile("user.reg") +
                 UserRegWriter(false).key(kPalmBase + "Core").text("Path", "C:\\Other").str());
         p.writeFile("drive_c/Other/users.dat", usersDatBytes({{5, "Other", "Other"}}));
     },
     kTwoUsersRead},
    {"UsRoboticsWithoutPathHidesPalmComputing",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe", "Palm Computing");
         p.writeFile("user.reg", p.readFile("user.reg") + UserRegWriter(false)
                                                              .key(kUsrBase + "Preferences")
                                                              .text("LastUserName", "Ann Doe")
                                                              .str());
     },
     "core=0:'' users=0 last=0 | 0:-2 '' -2 '' -2"},
    {"LastUserUnknown", [](const TempWinePrefix& p) { p.installPalmDesktop(kTwoUsers, "ann doe"); },
     "core=0:'C:\\Palm' users=2 last=0 | 0:0 'John Smith' 0 'SmithJ' 1234 | 1:0 'Ann Doe' 0 "
     "'DoeA' 77 | 2:-3 '' -3 '' -3"},
    {"UsersDatMissing",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe");
         std::filesystem::remove(p.driveC() / "Palm" / "users.dat");
     },
     kNoUserList},
    {"UsersDatEndsEarly",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe");
         const std::string full = usersDatBytes(kTwoUsers);
         p.writeFile("drive_c/Palm/users.dat", full.substr(0, full.size() - 8));
     },
     kNoUserList},
    {"UsersDatWithoutUsers",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe");
         p.writeFile("drive_c/Palm/users.dat", usersDatBytes({}));
     },
     kNoUserList},
    {"LongNamesCutToFit",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop({{9, std::string(40, 'N'), std::string(35, 'F')}},
                              std::string(31, 'N'));
     },
     "core=0:'C:\\Palm' users=1 last=0 | 0:0 '" + std::string(31, 'N') + "' 0 '" +
         std::string(31, 'F') + "' 9 | 1:-3 '' -3 '' -3"},
    // The count byte of users.dat holds at most 255 users; all of them are reachable.
    {"MostUsersTheCountHolds",
     [](const TempWinePrefix& p) { p.installPalmDesktop(numberedUsers(255), "U254"); },
     numberedUsersRead(255)},
    // The last user name is read only when it fits its 32-byte field with the NUL.
    {"LastUserNameOf31Characters",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop({{1, "A", "A"}, {2, std::string(31, 'L'), "B"}},
                              std::string(31, 'L'));
     },
     "core=0:'C:\\Palm' users=2 last=1 | 0:0 'A' 0 'A' 1 | 1:0 '" + std::string(31, 'L') +
         "' 0 'B' 2 | 2:-3 '' -3 '' -3"},
    {"LastUserNameOf32CharactersIsNotRead",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop({{1, "A", "A"}, {2, std::string(31, 'L'), "B"}},
                              std::string(32, 'L'));
     },
     "core=0:'C:\\Palm' users=2 last=0 | 0:0 'A' 0 'A' 1 | 1:0 '" + std::string(31, 'L') +
         "' 0 'B' 2 | 2:-3 '' -3 '' -3"},
    {"PathFoundWithoutRegardToCase",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "John Smith");
         p.writeFile("user.reg",
                     UserRegWriter().key(kUsrBase + "core").text("path", "c:\\PALM\\").str());
     },
     "core=0:'c:\\PALM\\' users=2 last=0 | 0:0 'John Smith' 0 'SmithJ' 1234 | 1:0 'Ann Doe' 0 "
     "'DoeA' 77 | 2:-3 '' -3 '' -3"},
    {"PathTooLongIsNotRead",
     [](const TempWinePrefix& p) {
         p.installPalmDesktop(kTwoUsers, "Ann Doe");
         p.writeFile("user.reg", UserRegWriter()
                                     .key(kUsrBase + "Core")
                                     .text("Path", "C:\\Palm\\" + std::string(248, 'x'))
                                     .str());
     },
     "core=0:'' users=0 last=0 | 0:-2 '' -2 '' -2"},
};

INSTANTIATE_TEST_SUITE_P(Prefixes, UserListExports, testing::ValuesIn(kPrefixCases),
                         [](const testing::TestParamInfo<PrefixCase>& param) {
                             return std::string(param.param.what);
                         });

// Calls `fill` on a buffer of '#' and reports its result and how far the buffer was written.
template <typename Fill>
std::string resultAndBytesWritten(Fill fill) {
    std::array<char, 400> buffer{};
    buffer.fill('#');
    const int32_t result = fill(buffer.data());
    const auto written =
        std::find_if(buffer.rbegin(), buffer.rend(), [](char c) { return c != '#'; });
    return std::to_string(result) + ":" + std::to_string(buffer.rend() - written);
}

std::string reportBytesWritten(HollinApi& api) {
    return resultAndBytesWritten(api.getCore) + " " +
           resultAndBytesWritten([&api](char* buffer) { return api.getUserName(0, buffer); }) +
           " " +
           resultAndBytesWritten([&api](char* buffer) { return api.getUserSubDir(0, buffer); });
}

// Names, folders and the data folder at their largest: the library writes at most 33 and 257
// bytes, the sizes callers are told to provide.
TEST(UserListExportsBuffers, NeverWritePastTheDocumentedSizes) {
    const TempWinePrefix longNames;
    longNames.installPalmDesktop({{1, std::string(200, 'N'), std::string(200, 'F')}}, "");
    EXPECT_EQ(inFreshLibrary(longNames.root(), reportBytesWritten), "0:8 0:32 0:32");

    // 255 characters and the NUL fill the 256 bytes read; no users, as the path leads nowhere.
    const TempWinePrefix longestPath;
    longestPath.writeFile(
        "user.reg",
        UserRegWriter().key(kUsrBase + "Core").text("Path", "C:\\" + std::string(252, 'p')).str());
    EXPECT_EQ(inFreshLibrary(longestPath.root(), reportBytesWritten), "0:256 -2:1 -2:1");
}

// The instance is read once and kept until the library is unloaded; one that found no Palm
// Desktop is not kept, so the next call looks again.
TEST(UserListExportsLifecycle, KeptUntilUnloadedButRetriedWhileNotFound) {
    const TempWinePrefix prefix;
    const std::string report = inFreshLibrary(prefix.root(), [&prefix](HollinApi& api) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely on chains of + over strings.
        std::string steps = std::to_string(api.getNumUsers());
        auto note = [&steps](const std::string& text) {
            steps += ' ';
            steps += text;
        };
        prefix.installPalmDesktop(kTwoUsers, "Ann Doe");
        note(std::to_string(api.getNumUsers()));
        prefix.writeFile("drive_c/Palm/users.dat",
                         usersDatBytes({{1, "A", "A"}, {2, "B", "B"}, {3, "C", "C"}}));
        note(std::to_string(api.getNumUsers()));
        note(std::to_string(api.getLastUserNumber()));
        note(api.reload() ? "reloaded" : "still loaded");
        note(std::to_string(api.getNumUsers()));
        note(std::to_string(api.getLastUserNumber()));
        return steps;
    });
    EXPECT_EQ(report, "-1 2 2 1 reloaded 3 0");
}

}  // namespace
}  // namespace hollin::test
