#include "platform/package_image.h"

namespace bw {
namespace {

// Walks the chunk headers as far as the bytes go, whatever the FORM length
// says, to find the chunk the file ends inside; empty when it ends between
// two chunks.
std::string FirstChunkPastTheEnd(const PackageView& package)
{
    uint64_t position = kChunkHeaderSize;
    while (position < package.Size()) {
        uint32_t tag = 0;
        uint32_t length = 0;
        if (!package.ReadU32(position, tag)) {
            return "a chunk header at offset " + std::to_string(position);
        }
        if (!package.ReadU32(position + 4, length) || !package.Contains(position + kChunkHeaderSize, length)) {
            return Package_ChunkPlace(tag, position);
        }
        position += kChunkHeaderSize + uint64_t{length};
    }
    return {};
}

}  // namespace

std::string Package_ChunkPlace(uint32_t tag, uint64_t offset)
{
    return std::string("chunk ") + Package_TagText(tag).text + " at offset " + std::to_string(offset);
}

std::string Package_ContainerFault(const PackageView& package)
{
    const uint64_t size = package.Size();
    if (size == 0) {
        return "the file is empty";
    }
    if (!Package_HasFormMagic(package)) {
        return "not a game package: the first four bytes are not \"FORM\"";
    }
    uint32_t length = 0;
    if (!package.ReadU32(4, length)) {
        return "cut short inside the FORM header";
    }
    const uint64_t held = size - kChunkHeaderSize;
    if (length > held) {
        const std::string inside = FirstChunkPastTheEnd(package);
        return "cut short " + (inside.empty() ? std::string("between two chunks") : "inside " + inside) + ": " +
               std::to_string(held) + " of the " + std::to_string(length) + " bytes after the FORM header are there";
    }
    if (length < held) {
        return std::to_string(held - length) + " bytes more than the FORM header says follow it";
    }
    if (held == 0) {
        return "the package holds no chunks";
    }
    const std::string inside = FirstChunkPastTheEnd(package);
    return inside.empty() ? std::string() : inside + " runs past the end of the file";
}

bool Package_HasFormMagic(const PackageView& package)
{
    uint32_t magic = 0;
    return package.ReadU32(0, magic) && (magic == kFormMagic || magic == kFormMagicSwapped);
}

bool Package_IsWellFormed(const PackageView& package)
{
    uint32_t length = 0;
    return package.Size() > kChunkHeaderSize && Package_HasFormMagic(package) && package.ReadU32(4, length) &&
           uint64_t{length} == package.Size() - kChunkHeaderSize;
}

bool Package_NextChunk(const PackageView& package, uint64_t& position, ChunkInfo& chunk)
{
    if (!package.ReadU32(position, chunk.tag) || !package.ReadU32(position + 4, chunk.length)) {
        return false;
    }
    const uint64_t payload = position + kChunkHeaderSize;
    if (!package.Contains(payload, chunk.length)) {
        return false;
    }
    chunk.offset = static_cast<uint32_t>(payload);
    position = payload + chunk.length;
    return true;
}

ChunkTagText Package_TagText(uint32_t tag)
{
    ChunkTagText out{};
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>((tag >> (8 * i)) & 0xFF);
        out.text[i] = (c >= 32 && c < 127) ? c : '?';
    }
    return out;
}

bool Wad_PatchPointer(const PackageView& package, uint32_t offset, uint64_t length, const uint8_t** out)
{
    *out = nullptr;
    if (offset == 0) {
        return true;
    }
    *out = package.Bytes(offset, length);
    return *out != nullptr;
}

bool Wad_PatchString(const PackageView& package, uint32_t offset, const char** out)
{
    *out = nullptr;
    if (offset == 0) {
        return true;
    }
    *out = package.String(offset);
    return *out != nullptr;
}

bool Wad_PatchPointerList(const PackageView& package, const ChunkInfo& chunk, std::vector<uint32_t>& entries)
{
    if (!package.ReadPointerList(chunk.offset, uint64_t{chunk.offset} + chunk.length, entries)) {
        return false;
    }
    for (uint32_t entry : entries) {
        if (entry != 0 && entry >= package.Size()) {
            return false;
        }
    }
    return true;
}

}  // namespace bw
