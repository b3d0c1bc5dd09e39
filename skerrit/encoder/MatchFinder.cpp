// Greedy match finding with one step of lazy evaluation, confined to one chunk.
//
// Every position is inserted into a hash chain of earlier positions with the same three-byte
// hash. A search walks the chain newest first and keeps a candidate only when it is strictly
// longer than the best so far, so of equally long matches the nearest wins (a smaller distance
// codes in fewer bits). The head table is cleared for each chunk; the chain entry of a position
// is written whenever the position is inserted, so stale chain entries are never followed.
#include "encoder/MatchFinder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "encoder/DeflateTables.h"
#include "engine/ByteOrder.h"

namespace skerrit {

namespace {

struct Match {
    uint32_t length = 0;  // 0: none
    uint32_t position = 0;
};

// How far two runs of bytes agree, from index 3 (the first three are known equal) up to limit;
// eight bytes at a time while a whole word fits below the limit.
uint32_t matchLength(const uint8_t* there, const uint8_t* here, uint32_t limit) {
    uint32_t matched = deflate::kMinMatch;
    while (matched + 8 <= limit) {
        uint64_t thereWord = 0;
        uint64_t hereWord = 0;
        std::memcpy(&thereWord, there + matched, 8);
        std::memcpy(&hereWord, here + matched, 8);
        const uint64_t difference = thereWord ^ hereWord;
        if (difference != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return matched + static_cast<uint32_t>(std::countr_zero(difference)) / 8;
            } else {
                return matched + static_cast<uint32_t>(std::countl_zero(difference)) / 8;
            }
        }
        matched += 8;
    }
    while (matched < limit && there[matched] == here[matched])
        ++matched;
    return matched;
}

class ChunkMatcher {
  public:
    ChunkMatcher(const uint8_t* chunk, uint32_t length, MatchTables& tables)
        : chunk_(chunk), length_(length), tables_(tables) {
        tables_.head.fill(0);
    }

    uint32_t hashAt(uint32_t position) const {
        return ((uint32_t{chunk_[position]} << 6) ^ (uint32_t{chunk_[position + 1]} << 3) ^
                chunk_[position + 2]) &
               (kMatchHashSize - 1);
    }

    // Only positions up to length - 3 are ever inserted: their hash needs three bytes.
    void insert(uint32_t position) {
        const uint32_t hash = hashAt(position);
        tables_.chain[position] = tables_.head[hash];
        tables_.head[hash] = static_cast<uint16_t>(position + 1);
    }

    Match longestMatch(uint32_t position) const {
        const uint32_t limit = std::min(length_ - position, deflate::kMaxMatch);
        Match best;
        if (limit < deflate::kMinMatch)
            return best;  // no room for a match inside the chunk
        uint32_t bestLength = deflate::kMinMatch - 1;
        const uint8_t* here = chunk_ + position;
        uint32_t candidate = tables_.head[hashAt(position)];
        for (uint32_t looked = 0; candidate != 0 && looked < kMaxMatchCandidates; ++looked) {
            const uint32_t candidatePosition = candidate - 1;
            candidate = tables_.chain[candidatePosition];
            const uint8_t* there = chunk_ + candidatePosition;
            // Only a candidate that also agrees at index bestLength can be strictly longer;
            // testing that byte first skips most candidates without changing the choice.
            if (there[bestLength] != here[bestLength] || there[0] != here[0] ||
                there[1] != here[1] || there[2] != here[2]) {
                continue;
            }
            const uint32_t matched = matchLength(there, here, limit);
            if (matched > bestLength) {
                bestLength = matched;
                best = Match{matched, candidatePosition};
                // Nothing can be strictly longer than the limit.
                if (matched == limit)
                    break;
            }
        }
        return best;
    }

  private:
    const uint8_t* chunk_;
    uint32_t length_;
    MatchTables& tables_;
};

}  // namespace

uint32_t findChunkSymbols(const uint8_t* chunk, uint32_t length, MatchTables& tables,
                          uint8_t* symbols, uint8_t* distanceBytes) {
    ChunkMatcher matcher(chunk, length, tables);
    uint32_t symbolCount = 0;
    auto emitLiteral = [&](uint32_t position) {
        symbols[symbolCount] = chunk[position];
        storeLittleEndian16(distanceBytes + 2 * symbolCount, 0);
        ++symbolCount;
    };

    uint32_t position = 0;
    // The lazy search at p + 1 sees the tables exactly as the next main search at p + 1 would,
    // so its answer is carried over instead of searching twice.
    bool haveCarried = false;
    Match carried;
    while (position + 2 < length) {
        const Match match = haveCarried ? carried : matcher.longestMatch(position);
        haveCarried = false;
        matcher.insert(position);
        if (match.length == 0) {
            emitLiteral(position);
            ++position;
            continue;
        }
        if (match.length < kLazyMatchLimit) {
            const Match next = matcher.longestMatch(position + 1);
            if (next.length > match.length) {
                emitLiteral(position);
                ++position;
                carried = next;
                haveCarried = true;
                continue;
            }
        }
        symbols[symbolCount] = static_cast<uint8_t>(match.length - deflate::kMinMatch);
        storeLittleEndian16(distanceBytes + 2 * symbolCount, position - match.position);
        ++symbolCount;
        // Positions from length - 2 on have no three bytes to hash and are never inserted.
        const uint32_t lastInsertable = length - 3;
        const uint32_t insertEnd = std::min(position + match.length - 1, lastInsertable);
        for (uint32_t covered = position + 1; covered <= insertEnd; ++covered) {
            matcher.insert(covered);
        }
        position += match.length;
    }
    while (position < length)
        emitLiteral(position++);
    return symbolCount;
}

}  // namespace skerrit
