#include "graphics/texture_pages.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "graphics/textures.h"
#include "platform/console.h"
#include "platform/package_loader.h"
#include "platform/package_view.h"

namespace bw {

namespace {

constexpr int32_t kHandleBase = 0x40000000;

struct PageTable {
    std::vector<TexturePageEntry> entries;
    std::unordered_map<uint32_t, size_t> byOffset;
    std::vector<int32_t> textureIds;
};
PageTable g_pages;

std::vector<TexturePageEntry*> g_handles;

bool ReadEntry(const PackageView& package, uint32_t offset, TexturePageEntry& entry)
{
    int16_t fields[11];
    for (int i = 0; i < 11; ++i) {
        if (!package.ReadI16(uint64_t{offset} + uint64_t(i) * 2, fields[i])) {
            return false;
        }
    }
    entry = TexturePageEntry{fields[0], fields[1], fields[2], fields[3], fields[4],  fields[5],
                             fields[6], fields[7], fields[8], fields[9], fields[10]};
    return true;
}

struct PageRecord {
    bool readable = false;
    uint32_t flags = 0;
    uint32_t dataOffset = 0;
};

struct ByteRange {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// The bytes of each record's page image that nothing but its decoding
// reads: from its start to the next image, list or record, within the TXTR
// payload. Empty for an image that starts outside the payload or on the
// list or a record, and for one a later record shares.
std::vector<ByteRange> PageImageRanges(const std::vector<uint32_t>& list, const std::vector<PageRecord>& records,
                                       uint32_t offset, uint32_t length)
{
    const uint64_t payloadEnd = uint64_t{offset} + length;
    std::vector<ByteRange> kept{{offset, 4 + uint64_t{4} * list.size()}};
    for (uint32_t recordOffset : list) {
        kept.push_back({recordOffset, 8});
    }
    std::vector<ByteRange> images(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const uint64_t start = records[i].dataOffset;
        if (!records[i].readable || start < offset || start >= payloadEnd) {
            continue;
        }
        uint64_t end = payloadEnd;
        bool onKept = false;
        for (const ByteRange& range : kept) {
            onKept = onKept || (start >= range.offset && start < range.offset + range.length);
            if (range.offset > start) {
                end = std::min(end, range.offset);
            }
        }
        // A later record sharing the image reads it again when its turn comes.
        bool sharedLater = false;
        for (size_t j = 0; j < records.size(); ++j) {
            const PageRecord& other = records[j];
            if (other.readable && other.dataOffset > start) {
                end = std::min<uint64_t>(end, other.dataOffset);
            }
            sharedLater = sharedLater || (j > i && other.readable && other.dataOffset == start);
        }
        if (!onKept && !sharedLater) {
            images[i] = {start, end - start};
        }
    }
    return images;
}

}  // namespace

bool TPAG_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    g_pages.entries.clear();
    g_pages.byOffset.clear();
    const uint64_t end = uint64_t{offset} + length;
    std::vector<uint32_t> list;
    if (!package.ReadPointerList(offset, end, list)) {
        return false;
    }
    g_pages.entries.reserve(list.size());
    for (uint32_t entryOffset : list) {
        TexturePageEntry entry{};
        if (entryOffset == 0) {
            continue;
        }
        if (entryOffset < offset || uint64_t{entryOffset} + sizeof(TexturePageEntry) > end ||
            !ReadEntry(package, entryOffset, entry)) {
            g_pages.entries.clear();
            g_pages.byOffset.clear();
            return false;
        }
        g_pages.byOffset.emplace(entryOffset, g_pages.entries.size());
        g_pages.entries.push_back(entry);
    }
    return true;
}

bool TXTR_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    g_pages.textureIds.clear();
    std::vector<uint32_t> list;
    if (!package.ReadPointerList(offset, uint64_t{offset} + length, list)) {
        return false;
    }
    std::vector<PageRecord> records;
    for (uint32_t recordOffset : list) {
        PageRecord record;
        record.readable = recordOffset != 0 && package.ReadU32(recordOffset, record.flags) &&
                          package.ReadU32(uint64_t{recordOffset} + 4, record.dataOffset) && record.dataOffset != 0 &&
                          record.dataOffset < package.Size();
        records.push_back(record);
    }
    const std::vector<ByteRange> images = PageImageRanges(list, records, offset, length);
    for (size_t i = 0; i < records.size(); ++i) {
        const PageRecord& record = records[i];
        // The page image runs at most to the end of the file; its decoder
        // finds its own end.
        const int32_t id = record.readable ? Texture_CreateFromPackage(package.Bytes(record.dataOffset, 1),
                                                                       package.Size() - record.dataOffset, 0,
                                                                       record.flags & 1)
                                           : -1;
        if (record.readable && id < 0) {
            // The console has the decoder's own line; a game whose pages
            // draw as nothing must not look, from a shell, like one that ran well.
            std::fprintf(stderr, "Texture page %zu could not be decoded: what is drawn from it stays blank\n", i);
        }
        g_pages.textureIds.push_back(id);
        // The texture holds the pixels now: the image's bytes are not read
        // again.
        if (images[i].length > 0) {
            Package_ReleaseBytes(package, images[i].offset, images[i].length);
        }
    }
    for (TexturePageEntry& entry : g_pages.entries) {
        if (entry.textureId < 0 || static_cast<size_t>(entry.textureId) >= g_pages.textureIds.size()) {
            Console().Printf("what!!!!\n");
            continue;
        }
        entry.textureId = static_cast<int16_t>(g_pages.textureIds[static_cast<size_t>(entry.textureId)]);
    }
    return true;
}

TexturePageEntry* TPAG_FindByOffset(uint32_t fileOffset)
{
    auto found = g_pages.byOffset.find(fileOffset);
    return found != g_pages.byOffset.end() ? &g_pages.entries[found->second] : nullptr;
}

int32_t TPAG_Count()
{
    return static_cast<int32_t>(g_pages.entries.size());
}

int32_t TXTR_TextureId(int32_t page)
{
    return page >= 0 && static_cast<size_t>(page) < g_pages.textureIds.size()
               ? g_pages.textureIds[static_cast<size_t>(page)]
               : -1;
}

void TexturePages_Clear()
{
    for (TexturePageEntry& entry : g_pages.entries) {
        TexturePage_ReleaseHandle(&entry);
    }
    g_pages = PageTable();
}

int32_t TexturePage_Handle(TexturePageEntry* entry)
{
    if (entry == nullptr) {
        return -1;
    }
    auto found = std::find(g_handles.begin(), g_handles.end(), entry);
    if (found == g_handles.end()) {
        found = std::find(g_handles.begin(), g_handles.end(), nullptr);
    }
    if (found == g_handles.end()) {
        g_handles.push_back(entry);
        found = g_handles.end() - 1;
    }
    *found = entry;
    return kHandleBase + static_cast<int32_t>(found - g_handles.begin());
}

TexturePageEntry* TexturePage_FromHandle(int32_t handle)
{
    const int64_t index = int64_t{handle} - kHandleBase;
    return index >= 0 && static_cast<uint64_t>(index) < g_handles.size() ? g_handles[static_cast<size_t>(index)]
                                                                         : nullptr;
}

void TexturePage_ReleaseHandle(const TexturePageEntry* entry)
{
    std::replace(g_handles.begin(), g_handles.end(), const_cast<TexturePageEntry*>(entry),
                 static_cast<TexturePageEntry*>(nullptr));
}

}  // namespace bw
