// The container form of a game package: a "FORM" header whose length is the
// rest of the file, then tagged chunks one after another. Everything here
// reads through a PackageView, so a chunk, an offset or a string that does
// not lie wholly inside the file is refused instead of followed. The image
// itself is never changed: where the stored form holds a file offset, the
// reader resolves it on use (`Wad_PatchPointer`) and keeps native records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/package_view.h"

namespace bw {

// Tags compare as little-endian u32 words, so "GEN8" is 0x384E4547.
constexpr uint32_t Package_Tag(const char (&text)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

inline constexpr uint32_t kFormMagic = Package_Tag("FORM");
inline constexpr uint32_t kFormMagicSwapped = 0x464F524Du;
inline constexpr uint32_t kChunkHeaderSize = 8;

struct ChunkInfo {
    uint32_t tag;
    uint32_t offset;  // of the payload, from the start of the file
    uint32_t length;  // of the payload
};

// The first word is "FORM" in either byte order.
bool Package_HasFormMagic(const PackageView& package);
// The magic, a length field equal to the size - 8, and something after it.
bool Package_IsWellFormed(const PackageView& package);

// "chunk GEN8 at offset 8": where a chunk header starts, for messages.
std::string Package_ChunkPlace(uint32_t tag, uint64_t offset);
// Why the container cannot be walked, in plain words for the person who
// tried to load the file ("the file is empty", "cut short inside chunk TXTR
// at offset 1032", ...); empty when it can be walked.
std::string Package_ContainerFault(const PackageView& package);

// Calls visit for every chunk in file order. False when the container is
// not well formed or a chunk header or payload runs past the end of the
// file; chunks before the bad one have been visited. visit returning false
// ends the walk early with false.
template <typename Visitor>
bool Package_WalkChunks(const PackageView& package, Visitor&& visit);

// "GEN8" as a NUL-terminated text for log lines (unprintable bytes as '?').
struct ChunkTagText {
    char text[5];
};
ChunkTagText Package_TagText(uint32_t tag);

// The 64-bit form of patching a stored offset: 0 stays "none" (*out null,
// true); any other offset must have length bytes inside the file.
bool Wad_PatchPointer(const PackageView& package, uint32_t offset, uint64_t length, const uint8_t** out);
// A string reference: the offset of NUL-terminated bytes inside the file
// (0: none, *out null). False when no terminator follows inside the file.
bool Wad_PatchString(const PackageView& package, uint32_t offset, const char** out);
// A `PointerList` that must lie inside its chunk's payload; every non-zero
// entry must lie inside the file.
bool Wad_PatchPointerList(const PackageView& package, const ChunkInfo& chunk, std::vector<uint32_t>& entries);

// ---- implementation of the walk ----

bool Package_NextChunk(const PackageView& package, uint64_t& position, ChunkInfo& chunk);

template <typename Visitor>
bool Package_WalkChunks(const PackageView& package, Visitor&& visit)
{
    if (!Package_IsWellFormed(package)) {
        return false;
    }
    uint64_t position = kChunkHeaderSize;
    ChunkInfo chunk{};
    while (position < package.Size()) {
        if (!Package_NextChunk(package, position, chunk) || !visit(chunk)) {
            return false;
        }
    }
    return true;
}

}  // namespace bw
