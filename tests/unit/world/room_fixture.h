// Rooms under test: the world of WorldTest with an empty room table and
// order, known id counters, no package code (creation code is text), and a
// small writer that lays out ROOM chunks byte by byte the way a package
// stores them.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/package_loader.h"
#include "platform/package_view.h"
#include "script/code_chunks.h"
#include "script/error_report.h"
#include "unit/world/world_fixture.h"
#include "world/room.h"
#include "world/room_table.h"
#include "world/script_access.h"

namespace bw::test {

inline constexpr int32_t kFirstTestInstanceId = 200000;
inline constexpr int32_t kFirstTestTileId = 10000000;

// Little-endian words appended to an image. Offset 0 means "none" in a
// package, so the image starts with a few bytes nothing points at.
class ImageWriter {
public:
    ImageWriter() : m_bytes(8, 0) {}

    uint32_t Here() const { return static_cast<uint32_t>(m_bytes.size()); }
    uint32_t U32(uint32_t value)
    {
        const uint32_t at = Here();
        m_bytes.resize(m_bytes.size() + 4);
        std::memcpy(m_bytes.data() + at, &value, 4);
        return at;
    }
    uint32_t I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }
    uint32_t F32(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return U32(bits);
    }
    // A package string: its length, the bytes and a NUL; references name
    // the bytes.
    uint32_t String(const std::string& text)
    {
        U32(static_cast<uint32_t>(text.size()));
        const uint32_t at = Here();
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        m_bytes.push_back(0);
        return at;
    }
    uint32_t PointerList(const std::vector<uint32_t>& offsets)
    {
        const uint32_t at = U32(static_cast<uint32_t>(offsets.size()));
        for (uint32_t offset : offsets) {
            U32(offset);
        }
        return at;
    }
    void Patch(uint32_t at, uint32_t value) { std::memcpy(m_bytes.data() + at, &value, 4); }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

struct TestBackground {
    int32_t visible = 1;
    int32_t foreground = 0;
    int32_t index = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t htiled = 1;
    int32_t vtiled = 1;
    int32_t hspeed = 0;
    int32_t vspeed = 0;
    int32_t stretch = 0;
};

struct TestInstance {
    int32_t x = 0;
    int32_t y = 0;
    int32_t object = 0;
    int32_t id = 0;
    std::string code;  // empty: none
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFF;
    float rotation = 0.0f;
};

struct TestTile {
    int32_t x = 0;
    int32_t y = 0;
    int32_t background = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 16;
    int32_t height = 16;
    int32_t depth = 0;
    int32_t id = 0;
    float xscale = 1.0f;
    float yscale = 1.0f;
    uint32_t colour = 0xFFFFFFFF;
};

struct TestRoom {
    std::string name = "room";
    std::string caption;
    int32_t width = 640;
    int32_t height = 480;
    int32_t speed = 30;
    std::string code;
    std::vector<TestBackground> backgrounds;
    std::vector<int32_t> viewXs;  // one visible view per entry, at that xview
    std::vector<TestInstance> instances;
    std::vector<TestTile> tiles;
    uint32_t physics = 0;
    float gravityX = 0.0f;
    float gravityY = 10.0f;
    float pixelsToMetres = 0.1f;
};

inline TestInstance Placed(int32_t object, int32_t id, const std::string& code = "")
{
    TestInstance instance;
    instance.object = object;
    instance.id = id;
    instance.code = code;
    return instance;
}

inline TestTile TileWithId(int32_t id)
{
    TestTile tile;
    tile.id = id;
    return tile;
}

inline TestBackground Background(int32_t index, int32_t stretch)
{
    TestBackground background;
    background.index = index;
    background.stretch = stretch;
    return background;
}

// Offsets of the parts of one written room record.
struct WrittenRoom {
    uint32_t record = 0;
    uint32_t backgroundList = 0;
    uint32_t instanceList = 0;
    uint32_t tileList = 0;
    std::vector<uint32_t> backgroundEntries;
    std::vector<uint32_t> instanceEntries;
    std::vector<uint32_t> tileEntries;
};

class RoomImage {
public:
    // nullopt: an empty slot in the chunk's list.
    WrittenRoom Add(const std::optional<TestRoom>& room)
    {
        WrittenRoom written;
        if (room.has_value()) {
            written = Write(*room);
        }
        m_records.push_back(written.record);
        return written;
    }
    // Ends the image with the chunk's pointer list; Room_Load's arguments.
    void Finish()
    {
        m_chunkOffset = m_writer.PointerList(m_records);
        m_chunkLength = m_writer.Here() - m_chunkOffset;
    }
    bool Load() { return Room_Load(View(), m_chunkOffset, m_chunkLength); }
    PackageView View() { return PackageView(m_writer.Bytes().data(), m_writer.Bytes().size()); }
    ImageWriter& Writer() { return m_writer; }

private:
    WrittenRoom Write(const TestRoom& room)
    {
        WrittenRoom written;
        const uint32_t name = m_writer.String(room.name);
        const uint32_t caption = room.caption.empty() ? 0 : m_writer.String(room.caption);
        const uint32_t code = room.code.empty() ? 0 : m_writer.String(room.code);
        for (const TestBackground& b : room.backgrounds) {
            written.backgroundEntries.push_back(m_writer.I32(b.visible));
            for (int32_t word : {b.foreground, b.index, b.x, b.y, b.htiled, b.vtiled, b.hspeed, b.vspeed, b.stretch}) {
                m_writer.I32(word);
            }
        }
        std::vector<uint32_t> views;
        for (int32_t x : room.viewXs) {
            views.push_back(m_writer.I32(1));
            for (int32_t word : {x, 0, 320, 240, 0, 0, 320, 240, 32, 32, -1, -1, -1}) {
                m_writer.I32(word);
            }
        }
        std::vector<uint32_t> instanceCodes;
        for (const TestInstance& i : room.instances) {
            instanceCodes.push_back(i.code.empty() ? 0 : m_writer.String(i.code));
        }
        for (size_t n = 0; n < room.instances.size(); ++n) {
            const TestInstance& i = room.instances[n];
            written.instanceEntries.push_back(m_writer.I32(i.x));
            m_writer.I32(i.y);
            m_writer.I32(i.object);
            m_writer.I32(i.id);
            m_writer.U32(instanceCodes[n]);
            m_writer.F32(i.xscale);
            m_writer.F32(i.yscale);
            m_writer.U32(i.colour);
            m_writer.F32(i.rotation);
        }
        for (const TestTile& t : room.tiles) {
            written.tileEntries.push_back(m_writer.I32(t.x));
            for (int32_t word : {t.y, t.background, t.left, t.top, t.width, t.height, t.depth, t.id}) {
                m_writer.I32(word);
            }
            m_writer.F32(t.xscale);
            m_writer.F32(t.yscale);
            m_writer.U32(t.colour);
        }
        written.backgroundList = m_writer.PointerList(written.backgroundEntries);
        const uint32_t viewList = m_writer.PointerList(views);
        written.instanceList = m_writer.PointerList(written.instanceEntries);
        written.tileList = m_writer.PointerList(written.tileEntries);
        written.record = m_writer.U32(name);
        m_writer.U32(caption);
        m_writer.I32(room.width);
        m_writer.I32(room.height);
        m_writer.I32(room.speed);
        m_writer.U32(0);         // persistent
        m_writer.U32(0x123456);  // colour
        m_writer.U32(1);         // show colour
        m_writer.U32(code);
        m_writer.U32(0);  // views enabled
        m_writer.U32(written.backgroundList);
        m_writer.U32(viewList);
        m_writer.U32(written.instanceList);
        m_writer.U32(written.tileList);
        m_writer.U32(room.physics);
        for (int i = 0; i < 4; ++i) {
            m_writer.U32(0);
        }
        m_writer.F32(room.gravityX);
        m_writer.F32(room.gravityY);
        m_writer.F32(room.pixelsToMetres);
        return written;
    }

    ImageWriter m_writer;
    std::vector<uint32_t> m_records;
    uint32_t m_chunkOffset = 0;
    uint32_t m_chunkLength = 0;
};

class RoomTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        ResetRooms();
        World_RegisterScriptAccess();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(false);
    }

    void TearDown() override
    {
        ResetRooms();
        Code_Error_ResetState();
        Code_Error_SetShowErrors(true);
        WorldTest::TearDown();
    }

    static void ResetRooms()
    {
        Room_ClearTable();
        Room_Order().clear();
        Room_ActivationQueue().Clear();
        CODE_Clear();
        Package().header = GameHeader{};
        Package().header.format = 13;
        Instance_SetLastId(kFirstTestInstanceId);
        Tile_SetLastId(kFirstTestTileId);
    }

    // A room loaded on its own from a fresh image; null when it fails.
    static CRoom* LoadOne(const TestRoom& plan)
    {
        RoomImage image;
        image.Add(plan);
        image.Finish();
        return image.Load() ? Room_Get(0) : nullptr;
    }
};

}  // namespace bw::test
