#include "world/object_loader.h"

#include <bit>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/package_image.h"
#include "platform/package_loader.h"
#include "world/game_state.h"
#include "world/object.h"

namespace bw {

namespace {

// Package formats that changed the object record.
constexpr uint32_t kFormatPhysicsBlock = 6;  // physics block after the mask
constexpr uint32_t kFormatPhysicsBody = 9;   // friction, awake, kinematic

constexpr uint32_t kPhysicsBlockAt = 32;
constexpr uint32_t kVerticesAt = 68;          // before kFormatPhysicsBody
constexpr uint32_t kVerticesAtWithBody = 80;  // from kFormatPhysicsBody on
constexpr uint32_t kVertexSize = 8;

constexpr uint32_t kEventNumberMarker = 0x80000000u;

// Whether the last OBJT chunk read had an event number with the marker bit.
bool g_markedEventLoaded = false;

// The words of one record, relative to its start, each checked against the
// package before it is read.
class RecordReader {
public:
    RecordReader(const PackageView& package, uint64_t base, std::string* error)
        : m_package(package), m_base(base), m_error(error)
    {
    }

    bool U32(uint64_t at, uint32_t* out)
    {
        if (!m_package.ReadU32(m_base + at, *out)) {
            return Fail("the record runs past the end of the package");
        }
        return true;
    }
    bool I32(uint64_t at, int32_t* out)
    {
        uint32_t word = 0;
        const bool read = U32(at, &word);
        *out = static_cast<int32_t>(word);
        return read;
    }
    bool F32(uint64_t at, float* out)
    {
        uint32_t word = 0;
        const bool read = U32(at, &word);
        *out = std::bit_cast<float>(word);
        return read;
    }
    bool Flag(uint64_t at, uint8_t* out)
    {
        uint32_t word = 0;
        const bool read = U32(at, &word);
        *out = word != 0 ? 1 : 0;
        return read;
    }
    bool Fail(const std::string& reason)
    {
        *m_error = reason;
        return false;
    }

private:
    const PackageView& m_package;
    uint64_t m_base;
    std::string* m_error;
};

// The sprite word keeps its sign only when one of bits 28-30 is set, so a
// stray top bit on an ordinary index is dropped while -1 stays -1.
int32_t SpriteIndexOf(uint32_t word)
{
    return (word & 0x70000000u) == 0 ? static_cast<int32_t>(word & 0x7FFFFFFFu) : static_cast<int32_t>(word);
}

// The physics block; *eventsAt is where the event section follows it.
bool ReadPhysics(const PackageView& package, RecordReader& record, uint64_t recordOffset, uint32_t format,
                 ObjectPhysics* physics, uint64_t* eventsAt)
{
    physics->vertices.clear();
    if (format < kFormatPhysicsBlock) {
        *eventsAt = kPhysicsBlockAt;
        return true;
    }
    int32_t vertexCount = 0;
    if (!record.Flag(32, &physics->enabled) || !record.Flag(36, &physics->sensor) || !record.I32(40, &physics->shape) ||
        !record.F32(44, &physics->density) || !record.F32(48, &physics->restitution) ||
        !record.I32(52, &physics->group) || !record.F32(56, &physics->linearDamping) ||
        !record.F32(60, &physics->angularDamping) || !record.I32(64, &vertexCount)) {
        return false;
    }
    uint64_t verticesAt = kVerticesAt;
    if (format >= kFormatPhysicsBody) {
        if (!record.F32(68, &physics->friction) || !record.Flag(72, &physics->awake) ||
            !record.Flag(76, &physics->kinematic)) {
            return false;
        }
        verticesAt = kVerticesAtWithBody;
    }
    const uint64_t vertexBytes = uint64_t{static_cast<uint32_t>(vertexCount)} * kVertexSize;
    if (vertexCount < 0 || !package.Contains(recordOffset + verticesAt, vertexBytes)) {
        return record.Fail("its " + std::to_string(vertexCount) + " physics vertices do not fit the package");
    }
    physics->vertices.resize(static_cast<size_t>(vertexCount));
    for (size_t i = 0; i < physics->vertices.size(); ++i) {
        const uint64_t at = verticesAt + i * kVertexSize;
        record.F32(at, &physics->vertices[i].x);
        record.F32(at + 4, &physics->vertices[i].y);
    }
    *eventsAt = verticesAt + vertexBytes;
    return true;
}

std::string EventName(int32_t type, uint32_t number)
{
    return "event (" + std::to_string(type) + ", " + std::to_string(number) + ")";
}

}  // namespace

bool CObject::LoadFromChunk(const PackageView& package, uint32_t recordOffset, uint32_t format,
                            uint32_t objectCount, uint32_t* entriesLeft, std::string* error)
{
    Clear();
    RecordReader record(package, recordOffset, error);
    uint32_t nameOffset = 0;
    uint32_t spriteWord = 0;
    uint8_t visible = 0;
    uint8_t solid = 0;
    uint8_t persistent = 0;
    if (!record.U32(0, &nameOffset) || !record.U32(4, &spriteWord) || !record.Flag(8, &visible) ||
        !record.Flag(12, &solid) || !record.I32(16, &depth) || !record.Flag(20, &persistent) ||
        !record.I32(24, &parent) || !record.I32(28, &mask)) {
        return false;
    }
    const char* text = nullptr;
    if (!Wad_PatchString(package, nameOffset, &text)) {
        return record.Fail("its name lies outside the package");
    }
    SetName(text);
    sprite = SpriteIndexOf(spriteWord);
    flags = (solid != 0 ? kObjectFlagSolid : 0) | (visible != 0 ? kObjectFlagVisible : 0) |
            (persistent != 0 ? kObjectFlagPersistent : 0);

    uint64_t eventsAt = 0;
    if (!ReadPhysics(package, record, recordOffset, format, &physics, &eventsAt)) {
        return false;
    }

    std::vector<uint32_t> typeLists;
    if (!package.ReadPointerList(uint64_t{recordOffset} + eventsAt, package.Size(), typeLists)) {
        return record.Fail("its event section runs past the end of the package");
    }
    if (typeLists.size() > static_cast<size_t>(kEventTypeCount)) {
        return record.Fail("it lists " + std::to_string(typeLists.size()) + " event types, more than " +
                           std::to_string(kEventTypeCount));
    }
    std::vector<uint32_t> entries;
    for (size_t type = 0; type < typeLists.size(); ++type) {
        if (typeLists[type] == 0) {
            continue;
        }
        if (!package.ReadPointerList(typeLists[type], package.Size(), entries)) {
            return record.Fail("its list of events of type " + std::to_string(type) + " lies outside the package");
        }
        auto& slots = events[type];
        for (uint32_t entry : entries) {
            if (entry == 0) {
                continue;
            }
            if (*entriesLeft == 0) {
                return record.Fail("the chunk lists more events than it has room for");
            }
            --*entriesLeft;
            uint32_t numberWord = 0;
            if (!package.ReadU32(entry, numberWord)) {
                return record.Fail("an event of type " + std::to_string(type) + " lies outside the package");
            }
            const uint32_t number = numberWord & ~kEventNumberMarker;
            const uint32_t numberLimit =
                type == kEventCollision ? objectCount : static_cast<uint32_t>(kEventNumberCount);
            if (number >= numberLimit) {
                return record.Fail(EventName(static_cast<int32_t>(type), number) + " has a number above " +
                                   std::to_string(static_cast<int64_t>(numberLimit) - 1));
            }
            if (number >= slots.size()) {
                slots.resize(number + 1);
            }
            if (slots[number] == nullptr) {
                slots[number] = std::make_unique<CEvent>();
            }
            if (!slots[number]->Load(package, entry + 4)) {
                return record.Fail(EventName(static_cast<int32_t>(type), number) +
                                   ": its action lies outside the package or names no code entry");
            }
            g_markedEventLoaded = g_markedEventLoaded || (numberWord & kEventNumberMarker) != 0;
        }
    }
    return true;
}

bool Object_LoadChunk(const PackageView& package, uint32_t offset, uint32_t length, uint32_t format)
{
    Object_FreeAll();
    g_markedEventLoaded = false;
    std::vector<uint32_t> records;
    if (!Wad_PatchPointerList(package, ChunkInfo{0, offset, length}, records)) {
        Console().Printf("Error on load\nOBJT: the object list lies outside the chunk\n");
        return false;
    }
    // Every genuine event entry takes at least a word of the chunk.
    uint32_t entriesLeft = length / 4;
    std::string error;
    for (size_t index = 0; index < records.size(); ++index) {
        if (records[index] == 0) {
            continue;
        }
        auto object = std::make_unique<CObject>(static_cast<int32_t>(index));
        if (!object->LoadFromChunk(package, records[index], format, static_cast<uint32_t>(records.size()),
                                   &entriesLeft, &error)) {
            Console().Printf("Error on load\nOBJT: object %zu: %s\n", index, error.c_str());
            Object_FreeAll();
            return false;
        }
        Object_Insert(object.release());
    }
    Object_SetCount(static_cast<int32_t>(records.size()));
    Object_LinkParents();
    return true;
}

bool Object_MarkedEventLoaded()
{
    return g_markedEventLoaded;
}

bool Object_Load(const PackageView& package, uint32_t offset, uint32_t length)
{
    return Object_LoadChunk(package, offset, length, Package().header.format);
}

bool Object_Prepare()
{
    tagIConsole& console = Console();
    console.Printf("Preparing %d objects:\n", Object_Count());
    for (const auto& node : Object_Table()) {
        CObject* object = node.value;
        console.Printf("\tObjects %d: %s\n", object->index, object->name.c_str());
        Event_Current().object = object->index;
        if (!object->Compile()) {
            return false;
        }
    }
    Object_LinkParents();
    return true;
}

}  // namespace bw
