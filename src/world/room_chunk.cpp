// Reading one room template from its ROOM record. The record and its four
// lists (backgrounds, views, instances, tiles) refer to each other by file
// offsets; every offset and every count is checked against the image before
// anything is read, and the room keeps native copies of what it needs, so a
// malformed package is a load error and never a wild read.
#include <cstring>
#include <memory>

#include "platform/package_image.h"
#include "platform/package_loader.h"
#include "platform/package_view.h"
#include "script/code_chunks.h"
#include "script/code_unit.h"
#include "script/operators.h"
#include "world/resource_lookups.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr uint32_t kRecordSizeBeforePhysics = 56;
constexpr uint32_t kRecordSize = 88;
constexpr uint32_t kBackgroundEntrySize = 40;
constexpr uint32_t kViewEntrySize = 56;
constexpr uint32_t kInstanceEntrySize = 36;
constexpr uint32_t kTileEntrySize = 48;
// Package formats from this one on carry the physics settings.
constexpr uint8_t kFirstPhysicsFormat = 6;

// A fixed-size record already checked to lie inside the image.
class Fields {
public:
    explicit Fields(const uint8_t* bytes) : m_bytes(bytes) {}

    uint32_t U32(size_t at) const
    {
        uint32_t value = 0;
        std::memcpy(&value, m_bytes + at, sizeof value);
        return value;
    }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
    float F32(size_t at) const
    {
        float value = 0.0f;
        std::memcpy(&value, m_bytes + at, sizeof value);
        return value;
    }
    uint8_t Flag(size_t at) const { return U32(at) != 0 ? 1 : 0; }

private:
    const uint8_t* m_bytes;
};

bool Fail(std::string* error, const char* why)
{
    if (error != nullptr) {
        *error = why;
    }
    return false;
}

// A sub-list of the record: offset 0 is an empty list.
bool ReadList(const PackageView& package, uint32_t offset, std::vector<uint32_t>& entries)
{
    entries.clear();
    return offset == 0 || package.ReadPointerList(offset, package.Size(), entries);
}

// Creation code of the room or of one instance entry. A package with
// compiled code names a code entry (-1 none), bound later by Room_Prepare;
// otherwise the word is the offset of the source text (0 none).
bool ReadCreationCode(const PackageView& package, uint32_t word, int32_t* codeEntry, const char** text)
{
    *codeEntry = -1;
    *text = nullptr;
    if (CODE_Present()) {
        const auto index = static_cast<int32_t>(word);
        if (index < -1 || index >= CODE_EntryCount()) {
            return false;
        }
        *codeEntry = index;
        return true;
    }
    return Wad_PatchString(package, word, text);
}

std::shared_ptr<CCode> UnitFromText(const char* text)
{
    return text != nullptr && text[0] != '\0' ? std::make_shared<CCode>(text, false) : nullptr;
}

void ReadBackground(Fields entry, int32_t roomWidth, int32_t roomHeight, RoomBackground& background)
{
    background.visible = entry.Flag(0);
    background.foreground = entry.Flag(4);
    background.index = entry.I32(8);
    background.x = static_cast<float>(entry.I32(12));
    background.y = static_cast<float>(entry.I32(16));
    background.htiled = entry.Flag(20);
    background.vtiled = entry.Flag(24);
    background.hspeed = static_cast<float>(entry.I32(28));
    background.vspeed = static_cast<float>(entry.I32(32));
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    if (entry.I32(36) != 0 && Background_GetSize(background.index, &imageWidth, &imageHeight)) {
        if (imageWidth > 0) {
            background.xscale = static_cast<float>(roomWidth) / static_cast<float>(imageWidth);
        }
        if (imageHeight > 0) {
            background.yscale = static_cast<float>(roomHeight) / static_cast<float>(imageHeight);
        }
    }
}

void ReadView(Fields entry, RoomView& view)
{
    view.visible = entry.Flag(0);
    view.xview = entry.I32(4);
    view.yview = entry.I32(8);
    view.wview = entry.I32(12);
    view.hview = entry.I32(16);
    view.xport = entry.I32(20);
    view.yport = entry.I32(24);
    view.wport = entry.I32(28);
    view.hport = entry.I32(32);
    view.hborder = entry.I32(36);
    view.vborder = entry.I32(40);
    view.hspeed = entry.I32(44);
    view.vspeed = entry.I32(48);
    view.object = entry.I32(52);
}

RoomTileEntry ReadTile(Fields entry)
{
    RoomTileEntry tile;
    tile.x = entry.I32(0);
    tile.y = entry.I32(4);
    tile.background = entry.I32(8);
    tile.left = entry.I32(12);
    tile.top = entry.I32(16);
    tile.width = entry.I32(20);
    tile.height = entry.I32(24);
    tile.depth = entry.I32(28);
    tile.id = entry.I32(32);
    tile.xscale = entry.F32(36);
    tile.yscale = entry.F32(40);
    tile.colour = entry.U32(44);
    return tile;
}

// Fills slot i of a fixed array of layers from entry i of the list; a list
// longer than the array is read only as far as the array goes.
template <typename Slot, size_t kCount, typename Read>
bool ReadLayers(const PackageView& package, uint32_t listOffset, uint32_t entrySize, std::array<Slot, kCount>& slots,
                Read&& read)
{
    std::vector<uint32_t> entries;
    if (!ReadList(package, listOffset, entries)) {
        return false;
    }
    for (size_t slot = 0; slot < kCount && slot < entries.size(); ++slot) {
        if (entries[slot] == 0) {
            continue;
        }
        const uint8_t* bytes = package.Bytes(entries[slot], entrySize);
        if (bytes == nullptr) {
            return false;
        }
        read(Fields(bytes), slots[slot]);
    }
    return true;
}

bool ReadInstances(const PackageView& package, uint32_t listOffset, RoomRecord& record, std::string* error)
{
    std::vector<uint32_t> entries;
    if (!ReadList(package, listOffset, entries)) {
        return Fail(error, "instance list outside the file");
    }
    for (uint32_t offset : entries) {
        if (offset == 0) {
            continue;
        }
        const uint8_t* bytes = package.Bytes(offset, kInstanceEntrySize);
        if (bytes == nullptr) {
            return Fail(error, "instance entry outside the file");
        }
        const Fields fields(bytes);
        RoomInstanceEntry entry;
        entry.x = fields.I32(0);
        entry.y = fields.I32(4);
        entry.objectIndex = fields.I32(8);
        entry.id = fields.I32(12);
        const char* text = nullptr;
        if (!ReadCreationCode(package, fields.U32(16), &entry.codeEntry, &text)) {
            return Fail(error, "instance creation code outside the file or the code list");
        }
        entry.code = UnitFromText(text);
        entry.xscale = fields.F32(20);
        entry.yscale = fields.F32(24);
        entry.colour = fields.U32(28);
        entry.rotation = fields.F32(32);
        record.instances.push_back(std::move(entry));
    }
    return true;
}

bool ReadTiles(const PackageView& package, uint32_t listOffset, RoomRecord& record, std::string* error)
{
    std::vector<uint32_t> entries;
    if (!ReadList(package, listOffset, entries)) {
        return Fail(error, "tile list outside the file");
    }
    record.tiles.reserve(entries.size());
    for (uint32_t offset : entries) {
        if (offset == 0) {
            continue;
        }
        const uint8_t* bytes = package.Bytes(offset, kTileEntrySize);
        if (bytes == nullptr) {
            return Fail(error, "tile entry outside the file");
        }
        record.tiles.push_back(ReadTile(Fields(bytes)));
    }
    return true;
}

bool ReadRoom(const PackageView& package, uint32_t recordOffset, CRoom& room, std::string* error)
{
    const bool hasPhysics = Package().header.format >= kFirstPhysicsFormat;
    const uint8_t* bytes = package.Bytes(recordOffset, hasPhysics ? kRecordSize : kRecordSizeBeforePhysics);
    if (bytes == nullptr) {
        return Fail(error, "room record outside the file");
    }
    const Fields fields(bytes);
    const char* name = nullptr;
    const char* caption = nullptr;
    if (!Wad_PatchString(package, fields.U32(0), &name)) {
        return Fail(error, "room name outside the file");
    }
    if (!Wad_PatchString(package, fields.U32(4), &caption)) {
        return Fail(error, "room caption outside the file");
    }
    room.SetName(name);
    room.SetCaption(caption);
    room.width = fields.I32(8);
    room.height = fields.I32(12);
    room.speed = fields.I32(16);
    room.persistent = fields.Flag(20);
    room.colour = fields.U32(24);
    room.showColour = fields.Flag(28);
    const char* codeText = nullptr;
    if (!ReadCreationCode(package, fields.U32(32), &room.codeEntry, &codeText)) {
        return Fail(error, "room creation code outside the file or the code list");
    }
    room.codeText = codeText != nullptr ? codeText : "";
    room.code = UnitFromText(codeText);
    room.viewsEnabled = fields.Flag(36);
    if (hasPhysics) {
        room.physicsEnabled = fields.Flag(56);
        room.gravityX = Code_RealTruncToInt32(fields.F32(76));
        room.gravityY = Code_RealTruncToInt32(fields.F32(80));
        room.pixelsToMetres = fields.F32(84);
    }
    const int32_t width = room.width;
    const int32_t height = room.height;
    if (!ReadLayers(package, fields.U32(40), kBackgroundEntrySize, room.backgrounds,
                    [=](Fields entry, RoomBackground& slot) { ReadBackground(entry, width, height, slot); })) {
        return Fail(error, "background list or entry outside the file");
    }
    if (!ReadLayers(package, fields.U32(44), kViewEntrySize, room.views,
                    [](Fields entry, RoomView& slot) { ReadView(entry, slot); })) {
        return Fail(error, "view list or entry outside the file");
    }
    auto record = std::make_shared<RoomRecord>();
    if (!ReadInstances(package, fields.U32(48), *record, error) ||
        !ReadTiles(package, fields.U32(52), *record, error)) {
        return false;
    }
    room.record = std::move(record);
    return true;
}

}  // namespace

bool CRoom::LoadFromChunk(const PackageView& package, uint32_t recordOffset, std::string* error)
{
    SetDefaults();
    if (!ReadRoom(package, recordOffset, *this, error)) {
        SetDefaults();
        return false;
    }
    return true;
}

}  // namespace bw
