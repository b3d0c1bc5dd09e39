// Reproducible English-like text for compressor tests and benchmarks: words drawn with a skewed
// (roughly Zipf) distribution from a fixed vocabulary, sentences with capitals and punctuation,
// lines wrapped near 72 columns and blank lines between paragraphs. The generator is a fixed
// xorshift, so the same seed gives the same bytes on every platform and standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace skerrit::testing {

inline std::string makeEnglishLikeText(size_t size, uint64_t seed = 0x9E3779B97F4A7C15ull) {
    static constexpr std::string_view kWords[] = {
        "the",        "of",         "and",         "to",          "a",         "in",
        "that",       "it",         "was",         "he",          "for",       "on",
        "is",         "with",       "as",          "his",         "they",      "at",
        "be",         "this",       "from",        "had",         "not",       "but",
        "by",         "she",        "or",          "have",        "you",       "which",
        "one",        "were",       "her",         "all",         "we",        "there",
        "when",       "an",         "their",       "would",       "been",      "said",
        "into",       "more",       "no",          "out",         "up",        "what",
        "some",       "could",      "them",        "time",        "very",      "only",
        "over",       "little",     "before",      "people",      "through",   "never",
        "house",      "water",      "river",       "morning",     "evening",   "garden",
        "window",     "letter",     "captain",     "country",     "thought",   "remember",
        "question",   "together",   "something",   "however",     "perhaps",   "children",
        "business",   "government", "beautiful",   "afterwards",  "certainly", "handheld",
        "document",   "database",   "conversion",  "compression", "character", "understanding",
        "particular", "themselves", "immediately", "Mr.",         "London",    "Tuesday",
        "whispered",  "answered"};
    uint64_t state = seed == 0 ? 1 : seed;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    // Skewed choice: the minimum of two uniform draws favours the common words at the front.
    auto pickWord = [&]() -> std::string_view {
        const uint64_t first = next() % std::size(kWords);
        const uint64_t second = next() % std::size(kWords);
        return kWords[first < second ? first : second];
    };

    std::string text;
    text.reserve(size + 128);
    size_t column = 0;
    bool sentenceStart = true;
    uint32_t sentencesInParagraph = 0;
    while (text.size() < size) {
        std::string word(pickWord());
        if (sentenceStart && word[0] >= 'a' && word[0] <= 'z') {
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        }
        sentenceStart = false;
        const uint64_t roll = next() % 100;
        if (roll < 8) {
            word += ',';
        } else if (roll < 15) {
            word += (roll == 14) ? '?' : '.';
            sentenceStart = true;
        }
        if (column > 0 && column + 1 + word.size() > 72) {
            text += '\n';
            column = 0;
        } else if (column > 0) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        if (sentenceStart && ++sentencesInParagraph >= 4 + next() % 6) {
            text += "\n\n";
            column = 0;
            sentencesInParagraph = 0;
        }
    }
    text.resize(size);
    return text;
}

}  // namespace skerrit::testing
