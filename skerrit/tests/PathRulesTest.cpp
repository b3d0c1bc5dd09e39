// Path rules: classification, directory part, and the join / fold / split pipeline that turns a
// reference on a page into a page name and fragment. One table per operation.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "htmldoc/PathRules.h"

namespace skerrit {
namespace {

TEST(PathRulesTest, PathKindAndDriveRelative) {
    struct Case {
        const char* path;
        PathKind kind;
        bool driveRelative;
    };
    const Case cases[] = {
        {"C:\\docs\\a.htm", kPathDrive, false},
        {"z:/a.htm", kPathDrive, false},
        {"C:", kPathRelative, true},  // letter and colon without a separator
        {"C:book.txt", kPathRelative, true},
        {"1:/x", kPathRelative, false},  // not a letter
        {"\\\\server\\share\\a.htm", kPathUnc, false},
        {"\\a.htm", kPathRelative, false},  // a single leading backslash
        {"/usr/share/a.htm", kPathRooted, false},
        {"//server/share", kPathRooted, false},  // two slashes are not UNC
        {"HtTp://host/a.htm", kPathHttp, false},
        {"http:/host", kPathRelative, false},
        {"mailto:someone@example.org", kPathRelative, false},  // other schemes are relative
        {"ftp://host/a", kPathRelative, false},
        {"", kPathRelative, false},
        {"docs/book.txt", kPathRelative, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathKind(c.path), c.kind) << c.path;
        EXPECT_EQ(isDriveRelative(c.path), c.driveRelative) << c.path;
    }
}

TEST(PathRulesTest, DirectoryPart) {
    struct Case {
        const char* path;
        const char* directory;
    };
    const Case cases[] = {
        {"C:\\docs\\a.htm", "C:\\docs\\"}, {"/home/u/docs/a.htm", "/home/u/docs/"},
        {"a/b\\c.htm", "a/b\\"},           {"page.htm", ""},
        {"http://host", "http://"},        {"http://host/dir/x.htm?q=1", "http://host/dir/"},
        {"C:/docs/", "C:/docs/"},
    };
    std::array<char, kPathCapacity> out{};
    for (const Case& c : cases) {
        directoryPart(c.path, out.data());
        EXPECT_STREQ(out.data(), c.directory) << c.path;
    }
    // Only the first 1023 characters are looked at: a separator beyond them does not count.
    std::string longPath = "/d/" + std::string(1100, 'x') + "/y";
    directoryPart(longPath.c_str(), out.data());
    EXPECT_STREQ(out.data(), "/d/");
}

// The way a reference on a page becomes a page name: join, fold, split. A null expectation means
// that step fails and the link would be dropped.
TEST(PathRulesTest, ReferenceBecomesPageName) {
    struct Case {
        const char* base;
        const char* reference;
        const char* joined;      // nullptr: join fails
        const char* normalised;  // nullptr: folding fails
        const char* name;
        const char* fragment;
    };
    const Case cases[] = {
        {"C:/docs/", "../img/a.htm#x", "C:/docs/../img/a.htm#x", "C:\\img\\a.htm#x",
         "C:\\img\\a.htm", "x"},
        {"C:/docs/sub/", "/top.htm", "C:/top.htm", "C:\\top.htm", "C:\\top.htm", ""},
        {"http://host/dir/", "/x.htm", "http://host/x.htm", "http://host/x.htm",
         "http://host/x.htm", ""},
        {"http://host/dir/", "y/./z.htm", "http://host/dir/y/./z.htm", "http://host/dir/y/z.htm",
         "http://host/dir/y/z.htm", ""},
        {"http://host", "a.htm", "http://host/a.htm", "http://host/a.htm", "http://host/a.htm", ""},
        {"C:/a/", "../../x.htm", "C:/a/../../x.htm", nullptr, "", ""},
        {"C:\\docs\\", "page.htm#a/b", "C:\\docs\\page.htm#a/b", "C:\\docs\\page.htm#a\\b",
         "C:\\docs\\page.htm", "a\\b"},
        // A reference of any other kind ignores the base, even a relative one; a rooted one
        // ignores it unless the base has a drive, share or host to keep.
        {"C:/docs/", "D:\\x.htm", "D:\\x.htm", "D:\\x.htm", "D:\\x.htm", ""},
        {"", "\\\\srv\\sh\\x.htm", "\\\\srv\\sh\\x.htm", "\\\\srv\\sh\\x.htm", "\\\\srv\\sh\\x.htm",
         ""},
        {"page.htm", "/abs.htm", "/abs.htm", "/abs.htm", "/abs.htm", ""},
        {"/home/u/", "/abs.htm", "/abs.htm", "/abs.htm", "/abs.htm", ""},
        {"C:/", "HTTP://Host/A.htm", "HTTP://Host/A.htm", "HTTP://Host/A.htm", "HTTP://Host/A.htm",
         ""},
        // A relative base (a page name without a separator gives an empty base) fails the join.
        {"", "a.htm", nullptr, nullptr, "", ""},
        {"docs/", "a.htm", nullptr, nullptr, "", ""},
        // Kinds 1 and 2 get a backslash appended, kinds 3 and 4 a slash.
        {"C:\\docs", "a.htm", "C:\\docs\\a.htm", "C:\\docs\\a.htm", "C:\\docs\\a.htm", ""},
        {"/home/u/docs", "a.htm", "/home/u/docs/a.htm", "/home/u/docs/a.htm", "/home/u/docs/a.htm",
         ""},
        // POSIX names keep their slashes; "." and ".." are folded.
        {"/home/u/", "./docs/../book.txt", "/home/u/./docs/../book.txt", "/home/u/book.txt",
         "/home/u/book.txt", ""},
        {"/home/", "../../etc", "/home/../../etc", nullptr, "", ""},
        {"/", "a/b/..", "/a/b/..", "/a/b/..", "/a/b/..", ""},  // a final ".." stays
        // A UNC base keeps its server and share under a rooted reference.
        {"\\\\srv\\share\\dir\\", "\\top.htm", "\\\\srv\\share\\top.htm", "\\\\srv\\share\\top.htm",
         "\\\\srv\\share\\top.htm", ""},
        {"\\\\srv\\share\\dir\\", "/top.htm", "\\\\srv\\share/top.htm", "\\\\srv\\share\\top.htm",
         "\\\\srv\\share\\top.htm", ""},
        {"\\\\srv\\share\\dir\\", "../a.htm", "\\\\srv\\share\\dir\\../a.htm",
         "\\\\srv\\share\\a.htm", "\\\\srv\\share\\a.htm", ""},
        // The query stays; "%" escapes are not decoded; case is kept.
        {"http://h/", "A%20b.HTM?x=1#Top", "http://h/A%20b.HTM?x=1#Top",
         "http://h/A%20b.HTM?x=1#Top", "http://h/A%20b.HTM?x=1", "Top"},
        {"C:/d/", "a.htm#one#two", "C:/d/a.htm#one#two", "C:\\d\\a.htm#one#two", "C:\\d\\a.htm",
         "one#two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " + " + c.reference);
        std::array<char, kPathCapacity> joined{};
        const bool joinedOk = joinPath(c.base, c.reference, joined.data());
        ASSERT_EQ(joinedOk, c.joined != nullptr);
        if (!joinedOk)
            continue;
        EXPECT_STREQ(joined.data(), c.joined);
        const bool normalisedOk = normalisePath(joined.data());
        ASSERT_EQ(normalisedOk, c.normalised != nullptr);
        if (!normalisedOk)
            continue;
        EXPECT_STREQ(joined.data(), c.normalised);
        std::array<char, kPathCapacity> name{};
        std::array<char, kPathCapacity> fragment{};
        ASSERT_TRUE(splitFragment(joined.data(), name.data(), fragment.data()));
        EXPECT_STREQ(name.data(), c.name);
        EXPECT_STREQ(fragment.data(), c.fragment);
    }
}

TEST(PathRulesTest, CapacityLimits) {
    std::array<char, kPathCapacity> out{};
    // A base of 1022 characters or more cannot take a relative reference.
    const std::string base1021 = "/" + std::string(1020, 'b');
    const std::string base1022 = "/" + std::string(1021, 'b');
    EXPECT_TRUE(joinPath(base1021.c_str(), "x", out.data()));
    EXPECT_EQ(std::string(out.data()), base1021 + "/x");
    EXPECT_FALSE(joinPath(base1022.c_str(), "x", out.data()));

    // A result longer than 1023 characters is cut, never written past the buffer.
    EXPECT_TRUE(joinPath("/base/", std::string(2000, 'r').c_str(), out.data()));
    EXPECT_EQ(std::string(out.data()).size(), kMaxPathLength);
    EXPECT_TRUE(joinPath("C:/", ("/" + std::string(2000, 'a')).c_str(), out.data()));
    EXPECT_EQ(std::string(out.data()).size(), kMaxPathLength);

    std::array<char, kPathCapacity> name{};
    std::array<char, kPathCapacity> fragment{};
    const std::string name1023 = std::string(1023, 'n') + "#" + std::string(1023, 'f');
    EXPECT_TRUE(splitFragment(name1023.c_str(), name.data(), fragment.data()));
    EXPECT_FALSE(
        splitFragment((std::string(1024, 'n') + "#f").c_str(), name.data(), fragment.data()));
    EXPECT_FALSE(
        splitFragment(("n#" + std::string(1024, 'f')).c_str(), name.data(), fragment.data()));
}

}  // namespace
}  // namespace skerrit
