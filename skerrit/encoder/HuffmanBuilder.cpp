// Huffman tree construction with a length limit.
//
// Nodes are kept in a binary min-heap keyed by (frequency, depth), where depth is the height of a
// node's subtree; preferring shallower nodes on equal frequency keeps the tree flat. Each step
// takes the two smallest nodes, appends them to a list that ends up sorted by decreasing
// frequency, and pushes their parent. Lengths are then read off the list from the root down;
// those above the limit are clamped and the length counts repaired so that the code stays
// complete, after which leaves are handed the repaired lengths in list order.
#include "encoder/HuffmanBuilder.h"

#include <algorithm>

namespace skerrit {

namespace {

// Choosing the smaller child: a strictly shallower node wins a frequency tie.
bool smallerChild(const HuffmanWorkArea& work, uint32_t a, uint32_t b) {
    const HuffmanNode& nodeA = work.nodes[a];
    const HuffmanNode& nodeB = work.nodes[b];
    return nodeA.frequency < nodeB.frequency ||
           (nodeA.frequency == nodeB.frequency && nodeA.depth < nodeB.depth);
}

// Stopping the sift: the sifted node stays above a child that is not strictly smaller.
bool smallerOrEqual(const HuffmanWorkArea& work, uint32_t a, uint32_t b) {
    const HuffmanNode& nodeA = work.nodes[a];
    const HuffmanNode& nodeB = work.nodes[b];
    return nodeA.frequency < nodeB.frequency ||
           (nodeA.frequency == nodeB.frequency && nodeA.depth <= nodeB.depth);
}

void siftDownFromTop(HuffmanWorkArea& work, uint32_t heapLength) {
    const uint16_t sifted = work.heap[1];
    uint32_t position = 1;
    uint32_t child = 2;
    while (child <= heapLength) {
        if (child < heapLength && smallerChild(work, work.heap[child + 1], work.heap[child])) {
            ++child;
        }
        if (smallerOrEqual(work, sifted, work.heap[child]))
            break;
        work.heap[position] = work.heap[child];
        position = child;
        child *= 2;
    }
    work.heap[position] = sifted;
}

// Appends a used symbol and moves it up past parents of strictly greater frequency.
void insertByFrequency(HuffmanWorkArea& work, uint32_t& heapLength, uint16_t symbol) {
    uint32_t position = ++heapLength;
    const uint32_t frequency = work.nodes[symbol].frequency;
    while (position > 1 && work.nodes[work.heap[position / 2]].frequency > frequency) {
        work.heap[position] = work.heap[position / 2];
        position /= 2;
    }
    work.heap[position] = symbol;
}

// Clamps lengths to maxLength, then moves leaves down from the deepest level below the limit
// until the counts describe a complete code again, and hands those lengths out afresh: the
// least frequent leaves, at the end of the sorted list, take the longest codes.
void assignLengths(HuffmanWorkArea& work, uint32_t symbolCount, uint32_t maxLength,
                   uint32_t rootPosition) {
    const uint32_t listEnd = 2 * symbolCount;
    std::fill(work.lengthCounts.begin(), work.lengthCounts.end(), uint16_t{0});
    uint32_t overflow = 0;
    work.nodes[work.sorted[rootPosition]].length = 0;
    for (uint32_t position = rootPosition + 1; position < listEnd; ++position) {
        HuffmanNode& node = work.nodes[work.sorted[position]];
        uint32_t length = work.nodes[node.parent].length + 1;
        if (length > maxLength) {
            length = maxLength;
            ++overflow;
        }
        node.length = length;
        if (work.sorted[position] < symbolCount)
            ++work.lengthCounts[length];
    }
    if (overflow == 0)
        return;

    while (overflow > 0) {
        uint32_t length = maxLength - 1;
        while (work.lengthCounts[length] == 0)
            --length;
        --work.lengthCounts[length];
        work.lengthCounts[length + 1] = static_cast<uint16_t>(work.lengthCounts[length + 1] + 2);
        --work.lengthCounts[maxLength];
        overflow = overflow > 2 ? overflow - 2 : 0;
    }
    uint32_t position = listEnd;
    for (uint32_t length = maxLength; length != 0; --length) {
        uint32_t leaves = work.lengthCounts[length];
        while (leaves != 0) {
            const uint16_t node = work.sorted[--position];
            if (node >= symbolCount)
                continue;  // inner node
            work.nodes[node].length = length;
            --leaves;
        }
    }
}

uint16_t reverseBits(uint32_t code, uint32_t length) {
    uint32_t reversed = 0;
    for (uint32_t bit = 0; bit < length; ++bit) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return static_cast<uint16_t>(reversed);
}

}  // namespace

uint32_t buildHuffmanCode(const uint16_t* frequencies, uint32_t symbolCount, uint32_t maxLength,
                          HuffmanWorkArea& work, HuffmanCodeView code) {
    uint32_t heapLength = 0;
    uint32_t highestUsed = 0;
    for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
        work.nodes[symbol] = HuffmanNode{frequencies[symbol], 0, 0, 0};
        if (frequencies[symbol] > 0) {
            insertByFrequency(work, heapLength, static_cast<uint16_t>(symbol));
            highestUsed = symbol;
        }
    }

    // A code needs two symbols to be complete; the reader expects one even for an unused tree.
    if (heapLength == 0) {
        work.nodes[0].frequency = 1;
        work.heap[1] = 0;
        heapLength = 1;
    }
    if (heapLength == 1) {
        const uint16_t partner = work.heap[1] == 0 ? 1 : 0;
        work.nodes[partner].frequency = work.nodes[work.heap[1]].frequency;
        work.heap[2] = partner;
        heapLength = 2;
        highestUsed = std::max<uint32_t>(work.heap[1], partner);
    }

    uint32_t nextInnerNode = symbolCount + 1;
    uint32_t listPosition = 2 * symbolCount;
    while (heapLength >= 2) {
        const uint16_t first = work.heap[1];
        work.sorted[--listPosition] = first;
        work.heap[1] = work.heap[heapLength--];
        siftDownFromTop(work, heapLength);
        const uint16_t second = work.heap[1];
        work.sorted[--listPosition] = second;

        const auto inner = static_cast<uint16_t>(nextInnerNode++);
        work.nodes[inner] =
            HuffmanNode{work.nodes[first].frequency + work.nodes[second].frequency,
                        std::max(work.nodes[first].depth, work.nodes[second].depth) + 1, 0, 0};
        work.heap[1] = inner;
        siftDownFromTop(work, heapLength);
        work.nodes[first].parent = inner;
        work.nodes[second].parent = inner;
    }
    work.sorted[--listPosition] = work.heap[1];

    assignLengths(work, symbolCount, maxLength, listPosition);

    std::fill(code.lengths, code.lengths + symbolCount, uint8_t{0});
    for (uint32_t position = listPosition; position < 2 * symbolCount; ++position) {
        const uint16_t node = work.sorted[position];
        if (node < symbolCount)
            code.lengths[node] = static_cast<uint8_t>(work.nodes[node].length);
    }
    assignCanonicalCodes(code.lengths, symbolCount, maxLength, code.codes);
    return highestUsed;
}

void assignCanonicalCodes(const uint8_t* lengths, uint32_t symbolCount, uint32_t maxLength,
                          uint16_t* codes) {
    std::array<uint32_t, deflate::kMaxCodeLength + 2> lengthCounts{};
    for (uint32_t symbol = 0; symbol < symbolCount; ++symbol)
        ++lengthCounts[lengths[symbol]];
    lengthCounts[0] = 0;
    std::array<uint32_t, deflate::kMaxCodeLength + 2> nextCode{};
    uint32_t code = 0;
    for (uint32_t length = 1; length <= maxLength; ++length) {
        code = (code + lengthCounts[length - 1]) << 1;
        nextCode[length] = code;
    }
    for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
        const uint32_t length = lengths[symbol];
        codes[symbol] = length == 0 ? 0 : reverseBits(nextCode[length]++, length);
    }
}

}  // namespace skerrit
