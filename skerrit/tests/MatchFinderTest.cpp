// The match finder decides the output bytes, so its choices are pinned down as symbol sequences:
// literals as themselves, matches as <length,distance>.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/MatchFinder.h"
#include "engine/ByteOrder.h"

namespace skerrit {
namespace {

struct Symbol {
    uint32_t length;  // 0 for a literal
    uint32_t distanceOrByte;
};

std::vector<Symbol> findSymbols(const std::string& chunk) {
    static MatchTables tables;
    std::vector<uint8_t> symbols(chunk.size());
    std::vector<uint8_t> distances(2 * chunk.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(chunk.data());
    const uint32_t count = findChunkSymbols(bytes, static_cast<uint32_t>(chunk.size()), tables,
                                            symbols.data(), distances.data());
    std::vector<Symbol> found;
    for (uint32_t index = 0; index < count; ++index) {
        const uint32_t distance = loadLittleEndian16(&distances[2 * index]);
        if (distance == 0) {
            found.push_back({0, symbols[index]});
        } else {
            found.push_back({symbols[index] + 3u, distance});
        }
    }
    return found;
}

std::string render(const std::vector<Symbol>& symbols) {
    std::string text;
    for (const Symbol& symbol : symbols) {
        if (symbol.length == 0) {
            text += static_cast<char>(symbol.distanceOrByte);
        } else {
            text += "<" + std::to_string(symbol.length) + "," +
                    std::to_string(symbol.distanceOrByte) + ">";
        }
    }
    return text;
}

std::string repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

struct SymbolCase {
    const char* what;
    std::string chunk;
    std::string expected;
};

TEST(MatchFinder, ProducesTheSymbolSequenceTheRulesFix) {
    const std::vector<SymbolCase> cases = {
        {"one byte is a literal", "A", "A"},
        {"two bytes are literals", "AB", "AB"},
        {"three bytes have nothing to match", "abc", "abc"},
        {"a match may overlap its own source", "aaaa", "a<3,1>"},
        {"a match runs to the end of the chunk", "aaaaa", "a<4,1>"},
        {"a repeat is found", "abcabc", "abc<3,3>"},
        {"equally long candidates: the nearest wins", "abc1abc2abc3", "abc1<3,4>2<3,4>3"},
        {"a longer candidate wins even when farther", "abcdXabcYabcd", "abcdX<3,5>Y<4,9>"},
        {"lazy evaluation: a longer match one byte on", "abcXbcdefYabcdefZ", "abcXbcdefYa<5,7>Z"},
        {"a match is at most 258 bytes", std::string(300, 'q'), "q<258,1><41,1>"},
        {"4096 identical bytes", std::string(4096, 'x'), "x" + repeat("<258,1>", 15) + "<225,1>"},
    };
    for (const SymbolCase& test : cases) {
        EXPECT_EQ(render(findSymbols(test.chunk)), test.expected) << test.what;
    }
}

// From 129 on a match is taken at once, even when the next position starts a longer one.
TEST(MatchFinder, TakesAMatchOf129OrMoreWithoutLookingAhead) {
    std::string distinct;  // 200 bytes without a repeated pair
    for (int value = 1; value <= 200; ++value)
        distinct += static_cast<char>(value);
    const std::string chunk = distinct.substr(0, 140) + '\xFF' + distinct.substr(1) + distinct;
    const std::vector<Symbol> symbols = findSymbols(chunk);

    // 140 literals and the separator, then S[1..139] found at distance 140, 60 new literals.
    ASSERT_EQ(symbols.size(), 141u + 1u + 60u + 2u);
    EXPECT_EQ(symbols[141].length, 139u);
    EXPECT_EQ(symbols[141].distanceOrByte, 140u);
    // At the start of the last copy: 140 bytes at distance 340, although one byte later 199
    // bytes would match.
    EXPECT_EQ(symbols[202].length, 140u);
    EXPECT_EQ(symbols[202].distanceOrByte, 340u);
    EXPECT_EQ(symbols[203].length, 60u);
    EXPECT_EQ(symbols[203].distanceOrByte, 200u);
}

// The lazy search ends at 129: a match of 128 still gives way to a longer one a byte later, one
// of 129 is taken at once. The chunk holds the first `prefix` bytes of 200 distinct ones, a
// separator, all 200 but the first, then all 200: at the start of the last copy the prefix
// matches, and one byte later 199 bytes match the second copy.
TEST(MatchFinder, LazySearchEndsAtMatchesOf129) {
    std::string distinct;
    for (int value = 1; value <= 200; ++value)
        distinct += static_cast<char>(value);
    struct LazyCase {
        size_t prefix;
        std::string expectedEnd;
    };
    const std::vector<LazyCase> cases = {
        {128, "\x01<199,200>"},
        {129, "<129,329><71,200>"},
    };
    for (const LazyCase& test : cases) {
        const std::string chunk =
            distinct.substr(0, test.prefix) + '\xFF' + distinct.substr(1) + distinct;
        const std::string symbols = render(findSymbols(chunk));
        EXPECT_TRUE(symbols.ends_with(test.expectedEnd)) << test.prefix << "-byte prefix";
    }
}

// A search looks at no more than 384 candidates, newest first: the farthest "abcd" is found
// behind 383 nearer "abc?" but not behind 384 (every candidate here shares its three bytes).
TEST(MatchFinder, LooksAtNoMoreThan384Candidates) {
    struct LimitCase {
        int nearerCandidates;
        std::string expectedEnd;
    };
    const std::vector<LimitCase> cases = {
        {383, "\x01<4,1537>"},  // 4 + 383 x 4 + 1 bytes back: the first "abcd"
        {384, "\x01<3,5>d"},    // only the nearest "abc?" of length 3
    };
    for (const LimitCase& test : cases) {
        std::string chunk = "abcd";
        for (int i = 0; i < test.nearerCandidates; ++i) {
            chunk += "abc";
            chunk += static_cast<char>('e' + i % 20);  // never 'd'
        }
        chunk += '\x01';
        chunk += "abcd";
        const std::string symbols = render(findSymbols(chunk));
        ASSERT_GE(symbols.size(), test.expectedEnd.size());
        EXPECT_EQ(symbols.substr(symbols.size() - test.expectedEnd.size()), test.expectedEnd)
            << test.nearerCandidates << " nearer candidates";
    }
}

}  // namespace
}  // namespace skerrit
