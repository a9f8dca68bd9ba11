// The global sprite table: the package's sprites from the SPRT chunk, the
// sprites game code adds, copies and deletes, and the lookups through which
// the world and the script engine reach them.
#include <cstring>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/package_view.h"
#include "resources/sprite.h"
#include "script/resource_seams.h"
#include "world/instance.h"
#include "world/instance_list.h"
#include "world/room.h"

namespace bw {

namespace {

struct SpriteSlot {
    std::string name;
    std::unique_ptr<CSprite> sprite;  // null for an empty slot
};

// Never destroyed: sprites release textures and page-entry handles when they
// go, and those tables may be gone already while statics are torn down.
std::vector<SpriteSlot>& Table()
{
    static auto* table = new std::vector<SpriteSlot>();
    return *table;
}

SpriteUrlLoader g_urlLoader = nullptr;

bool InTable(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < Table().size();
}

int32_t AppendNew()
{
    const auto index = static_cast<int32_t>(Table().size());
    Table().push_back({"__newsprite" + std::to_string(index), std::make_unique<CSprite>()});
    return index;
}

// Gives back a slot appended by a load that failed.
void DropLast()
{
    Table().pop_back();
}

bool IsUrl(const char* name)
{
    return std::strncmp(name, "http://", 7) == 0 || std::strncmp(name, "https://", 8) == 0;
}

bool FileFound(const char* name)
{
    char path[4096];
    return LoadSave_PathFind(path, sizeof path, name);
}

void MarkStale(const InstanceList& list)
{
    for (CInstance* instance = list.First(); instance != nullptr; instance = instance->i_next) {
        instance->i_bboxdirty = 1;
    }
}

// ---- what the world asks of sprites ----

bool LookupInfo(int32_t index, SpriteInfo* info)
{
    const CSprite* sprite = Sprite_Get(index);
    if (sprite == nullptr) {
        return false;
    }
    info->frameCount = sprite->frameCount;
    info->width = sprite->width;
    info->height = sprite->height;
    info->xorigin = sprite->xorigin;
    info->yorigin = sprite->yorigin;
    info->bboxLeft = sprite->bboxLeft;
    info->bboxTop = sprite->bboxTop;
    info->bboxRight = sprite->bboxRight;
    info->bboxBottom = sprite->bboxBottom;
    info->precise = sprite->precise;
    return true;
}

bool CollideSprites(int32_t index, const SpritePlacement& placed, int32_t otherIndex,
                    const SpritePlacement& otherPlaced)
{
    const CSprite* sprite = Sprite_Get(index);
    const CSprite* other = Sprite_Get(otherIndex);
    return sprite != nullptr && other != nullptr && sprite->CollideSprite(placed, *other, otherPlaced);
}

bool CollidePoint(int32_t index, const SpritePlacement& placed, int32_t px, int32_t py)
{
    const CSprite* sprite = Sprite_Get(index);
    return sprite != nullptr && sprite->CollidePoint(placed, px, py);
}

bool CollideRectangle(int32_t index, const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                      int32_t bottom)
{
    const CSprite* sprite = Sprite_Get(index);
    return sprite != nullptr && sprite->CollideRectangle(placed, left, top, right, bottom);
}

bool CollideEllipse(int32_t index, const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                    int32_t bottom)
{
    const CSprite* sprite = Sprite_Get(index);
    return sprite != nullptr && sprite->CollideEllipse(placed, left, top, right, bottom);
}

bool CollideLine(int32_t index, const SpritePlacement& placed, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const CSprite* sprite = Sprite_Get(index);
    return sprite != nullptr && sprite->CollideLine(placed, x1, y1, x2, y2);
}

}  // namespace

void Sprite_ClearTable()
{
    Table().clear();
}

bool Sprite_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    std::vector<uint32_t> entries;
    if (!package.ReadPointerList(offset, uint64_t{offset} + length, entries)) {
        Console().Printf("Error on load\nSPRT: the sprite list runs past its chunk\n");
        return false;
    }
    Sprite_ClearTable();
    for (size_t index = 0; index < entries.size(); ++index) {
        SpriteSlot slot;
        if (entries[index] != 0) {
            auto sprite = std::make_unique<CSprite>();
            std::string error;
            if (!sprite->LoadFromChunk(package, entries[index], &error)) {
                Console().Printf("Error on load\nSPRT: sprite %zu: %s\n", index, error.c_str());
                Sprite_ClearTable();
                return false;
            }
            uint32_t nameOffset = 0;
            package.ReadU32(entries[index], nameOffset);
            slot.name = package.String(nameOffset);
            slot.sprite = std::move(sprite);
        }
        Table().push_back(std::move(slot));
    }
    return true;
}

void Sprite_InitTextures()
{
    for (SpriteSlot& slot : Table()) {
        if (slot.sprite != nullptr) {
            slot.sprite->InitTexture();
            slot.sprite->InitLocalPageEntries();
        }
    }
}

void Sprite_Shutdown()
{
    // Sprites hold nothing beyond what Sprite_FreeAll releases.
}

void Sprite_FreeAll()
{
    Table().clear();
    Table().shrink_to_fit();
}

int32_t Sprite_Count()
{
    return static_cast<int32_t>(Table().size());
}

bool Sprite_Exists(int32_t index)
{
    return InTable(index) && Table()[static_cast<size_t>(index)].sprite != nullptr;
}

CSprite* Sprite_Get(int32_t index)
{
    return InTable(index) ? Table()[static_cast<size_t>(index)].sprite.get() : nullptr;
}

const char* Sprite_GetName(int32_t index)
{
    return InTable(index) ? Table()[static_cast<size_t>(index)].name.c_str() : "<undefined>";
}

int32_t Sprite_Find(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    for (size_t i = 0; i < Table().size(); ++i) {
        if (Table()[i].sprite != nullptr && Table()[i].name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t Sprite_Add(const char* name, int32_t frames, bool precise, bool transparent, bool smooth, bool preload,
                   int32_t xorigin, int32_t yorigin)
{
    if (name == nullptr) {
        return -1;
    }
    const int32_t index = AppendNew();
    if (IsUrl(name)) {
        if (g_urlLoader == nullptr ||
            !g_urlLoader(index, name, frames, precise, transparent, smooth, xorigin, yorigin)) {
            DropLast();
            return -1;
        }
        return index;
    }
    if (!FileFound(name) || !Sprite_Get(index)->LoadImageFile(name, frames, precise, transparent, smooth, preload,
                                                              xorigin, yorigin, !transparent)) {
        DropLast();
        return -1;
    }
    return index;
}

namespace {

bool ReplaceFromFile(int32_t index, const char* name, int32_t frames, bool precise, bool transparent, bool smooth,
                     bool preload, int32_t xorigin, int32_t yorigin, bool keepAlpha)
{
    if (name == nullptr || !InTable(index) || !FileFound(name)) {
        return false;
    }
    std::unique_ptr<CSprite>& sprite = Table()[static_cast<size_t>(index)].sprite;
    if (sprite == nullptr) {
        sprite = std::make_unique<CSprite>();
    }
    const bool loaded =
        sprite->LoadImageFile(name, frames, precise, transparent, smooth, preload, xorigin, yorigin, keepAlpha);
    Sprite_FlagInstances();
    return loaded;
}

}  // namespace

bool Sprite_Replace(int32_t index, const char* name, int32_t frames, bool precise, bool transparent, bool smooth,
                    bool preload, int32_t xorigin, int32_t yorigin)
{
    return ReplaceFromFile(index, name, frames, precise, transparent, smooth, preload, xorigin, yorigin,
                           !transparent);
}

int32_t Sprite_AddAlpha(const char* name, int32_t frames, bool precise, bool preload, int32_t xorigin,
                        int32_t yorigin)
{
    if (name == nullptr) {
        return -1;
    }
    const int32_t index = AppendNew();
    if (!FileFound(name) ||
        !Sprite_Get(index)->LoadImageFile(name, frames, precise, true, false, preload, xorigin, yorigin, true)) {
        DropLast();
        return -1;
    }
    return index;
}

bool Sprite_ReplaceAlpha(int32_t index, const char* name, int32_t frames, bool precise, bool preload,
                         int32_t xorigin, int32_t yorigin)
{
    return ReplaceFromFile(index, name, frames, precise, true, false, preload, xorigin, yorigin, true);
}

bool Sprite_Delete(int32_t index)
{
    if (!Sprite_Exists(index)) {
        return false;
    }
    SpriteSlot& slot = Table()[static_cast<size_t>(index)];
    slot.sprite.reset();
    slot.name.clear();
    Sprite_FlagInstances();
    return true;
}

int32_t Sprite_Duplicate(int32_t index)
{
    if (!Sprite_Exists(index)) {
        return -1;
    }
    const int32_t copyIndex = AppendNew();
    CSprite* copy = Sprite_Get(copyIndex);
    copy->Assign(*Sprite_Get(index));
    if (copy->BitmapCount() == 0 && copy->UsesPackageEntries()) {
        copy->TakeOwnFrames();
    }
    return copyIndex;
}

bool Sprite_Assign(int32_t destination, int32_t source)
{
    if (!Sprite_Exists(source) || !InTable(destination)) {
        return false;
    }
    if (destination == source) {
        return true;
    }
    std::unique_ptr<CSprite>& slot = Table()[static_cast<size_t>(destination)].sprite;
    if (slot == nullptr) {
        slot = std::make_unique<CSprite>();
    }
    slot->Assign(*Sprite_Get(source));
    Sprite_FlagInstances();
    return true;
}

int32_t Sprite_CreateFromSurface()
{
    return AppendNew();
}

void Sprite_FlagInstances()
{
    const CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    MarkStale(room->activeInstances);
    MarkStale(room->deactivatedInstances);
}

void Sprite_SetUrlLoader(SpriteUrlLoader loader)
{
    g_urlLoader = loader;
}

void Sprite_RegisterLookups()
{
    Resource_SetNameFinder(ResourceKind::Sprite, &Sprite_Find);
    ResourceLookups& lookups = World_ResourceLookups();
    lookups.sprite = &LookupInfo;
    lookups.spriteCollision = SpriteCollisionTests{&CollideSprites, &CollidePoint, &CollideRectangle,
                                                   &CollideEllipse, &CollideLine};
}

}  // namespace bw
