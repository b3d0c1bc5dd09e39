// Chunks, groups and records of the text part.
//
// Each chunk is read from the text stream, turned into symbols by the match finder and counted
// into its group's frequencies; the symbols wait in the scratch stream (symbol bytes, then 16-bit
// little-endian distances, chunk after chunk) until the group is complete. Then the group's codes
// are built, its code table record written, and each chunk's symbols read back and coded into one
// text record. A chunk whose coded form exceeds 1024 words is stored instead, re-read from the
// text stream. All working memory is one block obtained through `allocate` per text part.
#include "encoder/RecordEncoder.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "encoder/BitWriter.h"
#include "encoder/CallbackIo.h"
#include "encoder/CodeTableWriter.h"
#include "encoder/DatabaseLayout.h"
#include "encoder/DeflateTables.h"
#include "encoder/HuffmanBuilder.h"
#include "encoder/MatchFinder.h"
#include "engine/ByteOrder.h"
#include "engine/ResultCodes.h"

namespace skerrit {

namespace {

inline constexpr uint32_t kMaxChunksPerGroup = 8;
inline constexpr uint32_t kMaxTextPartRecords = 65535;

// A stored chunk fills at most the whole record: 4096 bytes are 1024 words.
static_assert(kMaxChunkSize == 4 * kMaxRecordWords);
// The largest frequency is that of one byte value over a whole group; it must fit 16 bits.
static_assert(kMaxChunkSize * kMaxChunksPerGroup + kMaxChunksPerGroup < 0x10000);

struct EncoderState {
    std::array<uint8_t, kMaxChunkSize> chunk;
    std::array<uint32_t, kMaxChunksPerGroup> chunkSymbolCounts;
    std::array<uint8_t, kMaxChunkSize> symbols;
    std::array<uint8_t, 2 * kMaxChunkSize> distanceBytes;  // 16-bit little-endian, as scratched
    MatchTables matchTables;
    GroupFrequencies frequencies;
    HuffmanWorkArea huffman;
    GroupCodes codes;
    RecordWords words;
    std::array<uint8_t, kRecordPrefixSize + 4 * kMaxRecordWords> record;
};
static_assert(std::is_trivially_destructible_v<EncoderState>);

// Gives the state back through the callbacks on every path out of encodeTextPart.
class StateBlock {
  public:
    explicit StateBlock(const ConverterCallbacks& callbacks) : callbacks_(callbacks) {
        void* block = callbacks_.allocate(callbacks_.context, sizeof(EncoderState));
        if (block != nullptr)
            state_ = new (block) EncoderState;
    }
    ~StateBlock() {
        if (state_ != nullptr)
            callbacks_.release(callbacks_.context, state_);
    }
    StateBlock(const StateBlock&) = delete;
    StateBlock& operator=(const StateBlock&) = delete;
    EncoderState* get() const { return state_; }

  private:
    const ConverterCallbacks& callbacks_;
    EncoderState* state_ = nullptr;
};

class TextPartEncoder {
  public:
    TextPartEncoder(const ConverterCallbacks& callbacks, FileObject textStream,
                    FileObject scratchStream, FileObject destination, uint32_t chunkSize,
                    EncoderState& state)
        : callbacks_(callbacks),
          textStream_(textStream),
          scratchStream_(scratchStream),
          destination_(destination),
          chunkSize_(chunkSize),
          state_(state) {}

    void clearFrequencies() {
        state_.frequencies.literalLength.fill(0);
        state_.frequencies.distance.fill(0);
    }

    // Reads chunk `chunkIndex`, finds and counts its symbols and appends them to the scratch
    // stream. *length is 0 at the end of the text.
    [[nodiscard]] bool scanChunk(uint32_t chunkIndex, uint32_t groupSlot, uint32_t* length) {
        const uint64_t start = uint64_t{chunkIndex} * chunkSize_;
        if (start > 0x7FFFFFFF || !seekTo(callbacks_, textStream_, static_cast<uint32_t>(start))) {
            return false;
        }
        const int32_t read =
            callbacks_.readFile(callbacks_.context, textStream_, chunkSize_, state_.chunk.data());
        if (read < 0 || static_cast<uint32_t>(read) > chunkSize_)
            return false;
        *length = static_cast<uint32_t>(read);
        if (*length == 0)
            return true;

        const uint32_t symbolCount =
            findChunkSymbols(state_.chunk.data(), *length, state_.matchTables,
                             state_.symbols.data(), state_.distanceBytes.data());
        countSymbols(symbolCount);
        state_.chunkSymbolCounts[groupSlot] = symbolCount;
        return writeExactly(callbacks_, scratchStream_, symbolCount, state_.symbols.data()) &&
               writeExactly(callbacks_, scratchStream_, 2 * symbolCount,
                            state_.distanceBytes.data());
    }

    // Builds the group's codes, writes its code table record and one text record per chunk.
    [[nodiscard]] bool writeGroup(uint32_t firstChunkIndex, uint32_t chunkCount) {
        buildGroupCodes(state_.frequencies, state_.huffman, state_.codes);
        BitWriter table(state_.words);
        writeCodeTable(state_.codes, table);
        table.flush();
        if (table.overflowed())
            return false;
        if (!writeRecord(kRecordCodeTable, table.wordCount()))
            return false;

        if (!seekTo(callbacks_, scratchStream_, 0))
            return false;
        for (uint32_t slot = 0; slot < chunkCount; ++slot) {
            const uint32_t symbolCount = state_.chunkSymbolCounts[slot];
            if (!readExactly(callbacks_, scratchStream_, symbolCount, state_.symbols.data()) ||
                !readExactly(callbacks_, scratchStream_, 2 * symbolCount,
                             state_.distanceBytes.data())) {
                return false;
            }
            BitWriter text(state_.words);
            codeChunk(symbolCount, text);
            const bool written = text.overflowed()
                                     ? writeStoredChunk(firstChunkIndex + slot)
                                     : writeRecord(kRecordCompressedText, text.wordCount());
            if (!written)
                return false;
        }
        return seekTo(callbacks_, scratchStream_, 0);
    }

  private:
    void countSymbols(uint32_t symbolCount) {
        GroupFrequencies& frequencies = state_.frequencies;
        for (uint32_t index = 0; index < symbolCount; ++index) {
            const uint32_t distance = loadLittleEndian16(&state_.distanceBytes[2 * index]);
            const uint8_t symbol = state_.symbols[index];
            if (distance == 0) {
                ++frequencies.literalLength[symbol];
            } else {
                ++frequencies.literalLength[deflate::kFirstLengthSymbol +
                                            deflate::kLengthCodeOf[symbol + deflate::kMinMatch]];
                ++frequencies.distance[deflate::kDistanceCodeOf[distance]];
            }
        }
        ++frequencies.literalLength[deflate::kEndOfChunk];
    }

    void codeChunk(uint32_t symbolCount, BitWriter& writer) const {
        const GroupCodes& codes = state_.codes;
        for (uint32_t index = 0; index < symbolCount && !writer.overflowed(); ++index) {
            const uint32_t distance = loadLittleEndian16(&state_.distanceBytes[2 * index]);
            const uint8_t symbol = state_.symbols[index];
            if (distance == 0) {
                writer.putBits(codes.literalCodes[symbol], codes.literalLengths[symbol]);
                continue;
            }
            const uint32_t length = symbol + deflate::kMinMatch;
            const uint32_t lengthCode = deflate::kLengthCodeOf[length];
            const uint32_t lengthSymbol = deflate::kFirstLengthSymbol + lengthCode;
            writer.putBits(codes.literalCodes[lengthSymbol], codes.literalLengths[lengthSymbol]);
            writer.putBits(length - deflate::kLengthBase[lengthCode],
                           deflate::kLengthExtraBits[lengthCode]);
            const uint32_t distanceCode = deflate::kDistanceCodeOf[distance];
            writer.putBits(codes.distanceCodes[distanceCode], codes.distanceLengths[distanceCode]);
            writer.putBits(distance - deflate::kDistanceBase[distanceCode],
                           deflate::kDistanceExtraBits[distanceCode]);
        }
        writer.putBits(codes.literalCodes[deflate::kEndOfChunk],
                       codes.literalLengths[deflate::kEndOfChunk]);
        writer.flush();
    }

    // Writes the prefix and the first `wordCount` words of state_.words, most significant byte
    // first.
    [[nodiscard]] bool writeRecord(RecordKind kind, uint32_t wordCount) {
        uint8_t* record = state_.record.data();
        storeRecordPrefix(record, kind, wordCount);
        for (uint32_t index = 0; index < wordCount; ++index) {
            storeBigEndian32(record + kRecordPrefixSize + 4 * index, state_.words[index]);
        }
        return writeExactly(callbacks_, destination_, kRecordPrefixSize + 4 * wordCount, record);
    }

    // The chunk's own bytes, padded with zeros to a whole word; the kind says how many.
    [[nodiscard]] bool writeStoredChunk(uint32_t chunkIndex) {
        const uint64_t start = uint64_t{chunkIndex} * chunkSize_;
        if (start > 0x7FFFFFFF || !seekTo(callbacks_, textStream_, static_cast<uint32_t>(start))) {
            return false;
        }
        uint8_t* record = state_.record.data();
        const int32_t read = callbacks_.readFile(callbacks_.context, textStream_, chunkSize_,
                                                 record + kRecordPrefixSize);
        if (read <= 0 || static_cast<uint32_t>(read) > kMaxChunkSize)
            return false;
        const auto length = static_cast<uint32_t>(read);
        const uint32_t padding = (4 - length % 4) % 4;
        std::fill(record + kRecordPrefixSize + length,
                  record + kRecordPrefixSize + length + padding, uint8_t{0});
        const uint32_t payloadBytes = length + padding;
        storeRecordPrefix(record, static_cast<RecordKind>(kRecordStoredText + padding),
                          payloadBytes / 4);
        return writeExactly(callbacks_, destination_, kRecordPrefixSize + payloadBytes, record);
    }

    const ConverterCallbacks& callbacks_;
    FileObject textStream_;
    FileObject scratchStream_;
    FileObject destination_;
    uint32_t chunkSize_;
    EncoderState& state_;
};

}  // namespace

int32_t textPartPercent(uint32_t chunksRead, uint32_t chunksPerGroup, uint32_t textPartRecords) {
    if (textPartRecords == 0 || chunksPerGroup == 0)
        return 100;
    const uint64_t records = uint64_t{chunksRead} + chunksRead / chunksPerGroup + 2;
    return static_cast<int32_t>(std::min<uint64_t>(records * 100 / textPartRecords, 100));
}

int32_t encodeTextPart(const ConverterCallbacks& callbacks, FileObject textStream,
                       FileObject scratchStream, FileObject destination, uint32_t chunkSize,
                       uint32_t chunksPerGroup) {
    if (chunkSize == 0 || chunkSize > kMaxChunkSize || chunksPerGroup == 0 ||
        chunksPerGroup > kMaxChunksPerGroup) {
        return kResultConversionFailed;
    }
    uint32_t textLength = 0;
    if (!seekToEnd(callbacks, textStream, &textLength))
        return kResultConversionFailed;
    const uint64_t records = textPartRecordCount(textLength, chunkSize, chunksPerGroup);
    if (records > kMaxTextPartRecords)
        return kResultConversionFailed;
    const auto textPartRecords = static_cast<uint32_t>(records);

    const HeaderRecordBytes headerRecord = buildHeaderRecord(
        textLength, static_cast<uint16_t>(chunksPerGroup), static_cast<uint16_t>(textPartRecords));
    if (!writeExactly(callbacks, destination, kHeaderRecordSize, headerRecord.data())) {
        return kResultConversionFailed;
    }

    StateBlock block(callbacks);
    if (block.get() == nullptr)
        return kResultConversionFailed;
    TextPartEncoder encoder(callbacks, textStream, scratchStream, destination, chunkSize,
                            *block.get());
    if (!seekTo(callbacks, scratchStream, 0))
        return kResultConversionFailed;

    encoder.clearFrequencies();
    uint32_t chunksInGroup = 0;
    uint32_t chunkIndex = 0;
    // The length is known, so the loop never seeks past the end of the text.
    for (; uint64_t{chunkIndex} * chunkSize < textLength; ++chunkIndex) {
        uint32_t length = 0;
        if (!encoder.scanChunk(chunkIndex, chunksInGroup, &length)) {
            return kResultConversionFailed;
        }
        if (length == 0)
            break;
        if (++chunksInGroup == chunksPerGroup) {
            if (!encoder.writeGroup(chunkIndex + 1 - chunksInGroup, chunksInGroup)) {
                return kResultConversionFailed;
            }
            encoder.clearFrequencies();
            chunksInGroup = 0;
        }
        if (!reportPercent(callbacks,
                           textPartPercent(chunkIndex + 1, chunksPerGroup, textPartRecords))) {
            return kResultCanceled;
        }
    }
    if (chunksInGroup > 0 && !encoder.writeGroup(chunkIndex - chunksInGroup, chunksInGroup)) {
        return kResultConversionFailed;
    }
    return kResultOk;
}

}  // namespace skerrit
