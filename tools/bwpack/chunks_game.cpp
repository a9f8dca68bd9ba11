// The chunks of the game itself: header, options, objects and rooms.
#include <array>

#include "bwpack/chunk_writers.h"
#include "bwpack/package_build.h"

namespace bw::pack {
namespace {

constexpr size_t kEventTypes = 12;
constexpr size_t kActionRecordSize = 64;
constexpr size_t kActionCodeIndexAt = 32;
constexpr size_t kActionCodeTextAt = 60;
// Bits of the 64-bit feature mask at header offset 112; the gamepad layer
// reads it, and older headers without a mask count as all set.
constexpr uint64_t kAllFeatures = ~uint64_t{0};

uint32_t Flag(bool value) { return value ? 1 : 0; }

}  // namespace

void ChunkContext::ActionList(const std::string& unitName, const CodeText& text)
{
    const Label action = writer.NewLabel();
    writer.U32(1);
    writer.Put(Word::OffsetOf(action));
    writer.Bind(action);
    // Of the action record the runner reads only the code index and the code
    // text; the rest stays zero.
    const Word stored = code.Store(unitName, text);
    for (size_t at = 0; at < kActionRecordSize; at += 4) {
        if (at == kActionCodeIndexAt) {
            writer.Put(code.CarriesBytecode() ? stored : Word::Int(-1));
        } else if (at == kActionCodeTextAt) {
            writer.Put(code.CarriesBytecode() ? Word::Null() : stored);
        } else {
            writer.U32(0);
        }
    }
}

void Chunk_WriteGeneral(ChunkContext& context)
{
    const HeaderSettings& header = context.project.header;
    PackageWriter& w = context.writer;
    w.BeginChunk("GEN8");
    w.U8(header.debug ? 0 : 1);  // bit 0 clear = debug mode
    w.U8(kHeaderFormat);
    w.U16(0);
    w.Put(context.Text(header.name));
    w.Put(context.Text(header.config));
    w.I32(context.project.lastInstanceId);
    w.I32(context.project.lastTileId);
    w.I32(header.gameId);
    w.U64(0);
    w.U64(0);
    w.Put(context.Text(header.saveFolder));
    for (int i = 0; i < 4; ++i) w.U32(0);  // 44: unused
    w.I32(header.windowWidth);
    w.I32(header.windowHeight);
    w.U32(header.flags);
    for (int i = 0; i < 7; ++i) w.U32(0);  // 72: reserved, 96: unused
    w.Put(context.Text(header.caption));
    w.U64(0);
    w.U64(kAllFeatures);
    w.I32(header.steamAppId);
    w.U32(static_cast<uint32_t>(context.project.roomOrder.size()));
    for (int32_t room : context.project.roomOrder) w.I32(room);
    w.EndChunk();
}

void Chunk_WriteOptions(ChunkContext& context)
{
    const OptionSettings& o = context.project.options;
    PackageWriter& w = context.writer;
    w.BeginChunk("OPTN");
    // Words 0 to 34; those the project does not set carry the runner's
    // defaults so that a package behaves like one without the chunk.
    const std::array<uint32_t, 35> words = {
        Flag(o.fullScreen), 0, Flag(o.newAudio), 0, Flag(o.showCursor), 100, 0, 0, o.windowColour,
        0, 0, 0, 0, 0, 0, Flag(o.altEnterFullScreen), 1, 1, 1, 1, 1, 0, Flag(o.freezeWhenInactive),
        Flag(o.loadingBar), 0, 0, 0 /* 26: file offset, none */, 0, 0, 1, 0, 0, Flag(o.allErrorsFatal),
        Flag(o.uninitialisedAreErrors), Flag(o.createEventBeforeCode)};
    for (uint32_t word : words) w.U32(word);
    w.U32(static_cast<uint32_t>(context.project.constants.size()));
    for (const Constant& constant : context.project.constants) {
        w.Put(context.Text(constant.name));
        w.Put(context.Text(constant.value));
    }
    w.EndChunk();
}

void Chunk_WriteObjects(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("OBJT");
    Chunk_RecordList(w, context.project.objects, [&](const Object& object, size_t objectIndex) {
        w.Put(context.Text(object.name));
        w.I32(object.sprite);
        w.U32(Flag(object.visible));
        w.U32(Flag(object.solid));
        w.I32(object.depth);
        w.U32(Flag(object.persistent));
        w.I32(object.parent);
        w.I32(object.mask);
        const ObjectPhysics& physics = object.physics;
        w.U32(Flag(physics.enabled));
        w.U32(Flag(physics.sensor));
        w.I32(physics.shape);
        w.F32(physics.density);
        w.F32(physics.restitution);
        w.I32(physics.group);
        w.F32(physics.linearDamping);
        w.F32(physics.angularDamping);
        w.U32(static_cast<uint32_t>(physics.points.size()));
        w.F32(physics.friction);
        w.U32(Flag(physics.awake));
        w.U32(Flag(physics.kinematic));
        for (const auto& point : physics.points) {
            w.F32(point[0]);
            w.F32(point[1]);
        }
        // The event section follows in place: one list per event type.
        std::array<std::vector<const Event*>, kEventTypes> byType;
        for (const Event& event : object.events) byType[event.type].push_back(&event);
        Chunk_RecordList(w, byType, [&](const std::vector<const Event*>& events, size_t) {
            Chunk_RecordList(w, events, [&](const Event* event, size_t) {
                w.I32(event->number);
                const auto owner = static_cast<int32_t>(objectIndex);
                context.ActionList(ActionUnitName(context.project, owner, event->type, event->number), event->code);
            });
        });
    });
    w.EndChunk();
}

namespace {

void WriteRoomBackground(PackageWriter& w, const RoomBackground& layer)
{
    for (int32_t word : {int32_t{layer.visible}, int32_t{layer.foreground}, layer.background, layer.x, layer.y,
                         int32_t{layer.htiled}, int32_t{layer.vtiled}, layer.hspeed, layer.vspeed, int32_t{layer.stretch}}) {
        w.I32(word);
    }
}

void WriteRoomView(PackageWriter& w, const RoomView& view)
{
    for (int32_t word : {int32_t{view.visible}, view.xview, view.yview, view.wview, view.hview, view.xport, view.yport,
                         view.wport, view.hport, view.hborder, view.vborder, view.hspeed, view.vspeed, view.follow}) {
        w.I32(word);
    }
}

void WriteRoomTile(PackageWriter& w, const RoomTile& tile)
{
    for (int32_t word : {tile.x, tile.y, tile.background, tile.left, tile.top, tile.width, tile.height, tile.depth, tile.id}) {
        w.I32(word);
    }
    w.F32(tile.xscale);
    w.F32(tile.yscale);
    w.U32(tile.colour);
}

}  // namespace

void Chunk_WriteRooms(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("ROOM");
    Chunk_RecordList(w, context.project.rooms, [&](const Room& room, size_t) {
        const std::array<Label, 4> lists = {w.NewLabel(), w.NewLabel(), w.NewLabel(), w.NewLabel()};
        w.Put(context.Text(room.name));
        w.Put(context.TextOrNull(room.caption));
        w.I32(room.width);
        w.I32(room.height);
        w.I32(room.speed);
        w.U32(Flag(room.persistent));
        w.U32(room.colour);
        w.U32(Flag(room.showColour));
        w.Put(room.code ? context.code.Store("Room." + room.name, *room.code) : context.code.Absent());
        w.U32(Flag(room.viewsEnabled));
        for (Label list : lists) w.Put(Word::OffsetOf(list));
        w.U32(Flag(room.physics));
        for (int i = 0; i < 4; ++i) w.U32(0);  // 60: unused
        w.F32(room.gravityX);
        w.F32(room.gravityY);
        w.F32(room.pixelsToMetres);

        w.Bind(lists[0]);
        Chunk_RecordList(w, room.backgrounds, [&](const RoomBackground& layer, size_t) { WriteRoomBackground(w, layer); });
        w.Bind(lists[1]);
        Chunk_RecordList(w, room.views, [&](const RoomView& view, size_t) { WriteRoomView(w, view); });
        w.Bind(lists[2]);
        Chunk_RecordList(w, room.instances, [&](const RoomInstance& instance, size_t index) {
            w.I32(instance.x);
            w.I32(instance.y);
            w.I32(instance.object);
            w.I32(instance.id);
            w.Put(instance.code ? context.code.Store("Instance." + room.name + "." + std::to_string(index), *instance.code)
                                : context.code.Absent());
            w.F32(instance.xscale);
            w.F32(instance.yscale);
            w.U32(instance.colour);
            w.F32(instance.rotation);
        });
        w.Bind(lists[3]);
        Chunk_RecordList(w, room.tiles, [&](const RoomTile& tile, size_t) { WriteRoomTile(w, tile); });
    });
    w.EndChunk();
}

}  // namespace bw::pack
