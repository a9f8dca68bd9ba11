#include "world/save_game_records.h"

#include <cstring>

#include "platform/stream.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/room.h"
#include "world/variable_list.h"

namespace bw {

namespace {

// The absent-text marker of the typed text value.
constexpr char kAbsentText[] = "\x04";

// The least a record of each kind takes, to refuse counts that the bytes
// left cannot hold before any record is made.
constexpr int64_t kTileBytes = 14 * 4;
constexpr int64_t kInstanceMinBytes = 62 * 4;

}  // namespace

// ---- writer ----

void SaveWriter::Bytes(const void* bytes, int64_t count)
{
    m_ok = m_ok && m_stream.WriteBuffer(bytes, count);
}

void SaveWriter::Text(const std::string& text)
{
    if (text.empty()) {
        Bytes(kAbsentText, sizeof kAbsentText);
    } else {
        Bytes(text.c_str(), static_cast<int64_t>(text.size()) + 1);
    }
}

// ---- reader ----

int64_t SaveReader::BytesLeft() const
{
    return m_stream.GetSize() - m_stream.GetPosition();
}

void SaveReader::Fail(const char* what)
{
    if (m_failure == nullptr) {
        m_failure = what;
    }
}

void SaveReader::Check(bool read, const char* what)
{
    if (!read) {
        Fail(what);
    }
}

bool SaveReader::Bytes(void* out, int64_t count)
{
    if (!Ok() || BytesLeft() < count) {
        Fail("the file ends too early");
        std::memset(out, 0, static_cast<size_t>(count));
        return false;
    }
    m_stream.ReadBuffer(out, count);
    return true;
}

std::string SaveReader::Text()
{
    const int64_t left = BytesLeft();
    if (!Ok() || left <= 0) {
        Fail("the file ends too early");
        return {};
    }
    const auto* start = reinterpret_cast<const char*>(m_stream.GetData()) + m_stream.GetPosition();
    const void* end = std::memchr(start, 0, static_cast<size_t>(left));
    if (end == nullptr) {
        Fail("a text runs past the end of the file");
        return {};
    }
    std::string text(start, static_cast<const char*>(end));
    m_stream.Seek(m_stream.GetPosition() + static_cast<int64_t>(text.size()) + 1);
    return text == kAbsentText ? std::string() : text;
}

int32_t SaveReader::Count(int64_t minBytes, const char* what)
{
    const int32_t count = S32();
    if (count < 0 || count > BytesLeft() / minBytes) {
        Fail(what);
        return 0;
    }
    return count;
}

// ---- backgrounds, views, tiles ----

namespace {

void WriteBackground(SaveWriter& writer, const RoomBackground& layer)
{
    writer.Flag(layer.visible != 0);
    writer.Flag(layer.foreground != 0);
    writer.S32(layer.index);
    writer.F32(layer.x);
    writer.F32(layer.y);
    writer.Flag(layer.htiled != 0);
    writer.Flag(layer.vtiled != 0);
    writer.F32(layer.hspeed);
    writer.F32(layer.vspeed);
    writer.F32(layer.xscale);
    writer.F32(layer.yscale);
    writer.U32(layer.blend);
    writer.F32(layer.alpha);
}

void ReadBackground(SaveReader& reader, RoomBackground& layer)
{
    layer.visible = reader.Flag();
    layer.foreground = reader.Flag();
    layer.index = reader.S32();
    layer.x = reader.F32();
    layer.y = reader.F32();
    layer.htiled = reader.Flag();
    layer.vtiled = reader.Flag();
    layer.hspeed = reader.F32();
    layer.vspeed = reader.F32();
    layer.xscale = reader.F32();
    layer.yscale = reader.F32();
    layer.blend = reader.U32();
    layer.alpha = reader.F32();
}

void WriteView(SaveWriter& writer, const RoomView& view)
{
    writer.Flag(view.visible != 0);
    for (const int32_t field : {view.xview, view.yview, view.wview, view.hview, view.xport, view.yport, view.wport,
                                view.hport}) {
        writer.S32(field);
    }
    writer.F32(view.angle);
    for (const int32_t field : {view.hborder, view.vborder, view.hspeed, view.vspeed, view.object, view.surfaceId}) {
        writer.S32(field);
    }
}

void ReadView(SaveReader& reader, RoomView& view)
{
    view.visible = reader.Flag();
    for (int32_t* field : {&view.xview, &view.yview, &view.wview, &view.hview, &view.xport, &view.yport, &view.wport,
                           &view.hport}) {
        *field = reader.S32();
    }
    view.angle = reader.F32();
    for (int32_t* field : {&view.hborder, &view.vborder, &view.hspeed, &view.vspeed, &view.object, &view.surfaceId}) {
        *field = reader.S32();
    }
}

void WriteTile(SaveWriter& writer, const RoomTile& tile)
{
    writer.F32(tile.x);
    writer.F32(tile.y);
    for (const int32_t field : {tile.background, tile.left, tile.top, tile.width, tile.height}) {
        writer.S32(field);
    }
    writer.F32(tile.depth);
    writer.S32(tile.id);
    writer.F32(tile.xscale);
    writer.F32(tile.yscale);
    writer.U32(tile.blend);
    writer.F32(tile.alpha);
    writer.Flag(tile.visible != 0);
}

RoomTile ReadTile(SaveReader& reader)
{
    RoomTile tile;
    tile.x = reader.F32();
    tile.y = reader.F32();
    for (int32_t* field : {&tile.background, &tile.left, &tile.top, &tile.width, &tile.height}) {
        *field = reader.S32();
    }
    tile.depth = reader.F32();
    tile.id = reader.S32();
    tile.xscale = reader.F32();
    tile.yscale = reader.F32();
    tile.blend = reader.U32();
    tile.alpha = reader.F32();
    tile.visible = reader.Flag();
    return tile;
}

// The room hands out tile ids as tiles are added; a loaded tile keeps the
// id it was saved with, and the counter is put back as it was.
void AddLoadedTile(CRoom& room, const RoomTile& tile)
{
    const int32_t lastId = Tile_LastId();
    room.TileAt(room.AddTile(tile))->id = tile.id;
    Tile_SetLastId(lastId);
}

void WriteInstances(SaveWriter& writer, const InstanceList& list)
{
    writer.S32(list.Count());
    for (CInstance* instance = list.First(); instance != nullptr; instance = instance->i_next) {
        SaveGame_WriteInstance(writer, *instance);
    }
}

// Each instance is read into a new record, which goes on the list only when
// it was read whole; a failure stops the list there.
template <typename Place>
void ReadInstances(SaveReader& reader, Place&& place)
{
    const int32_t count = reader.Count(kInstanceMinBytes, "an instance count is larger than the file");
    for (int32_t entry = 0; entry < count && reader.Ok(); ++entry) {
        auto* instance = new CInstance(0.0f, 0.0f, 0, 0, false);
        if (SaveGame_ReadInstance(reader, *instance)) {
            place(instance);
        } else {
            instance->FreeLinks();
            delete instance;
        }
    }
}

}  // namespace

// ---- rooms ----

void SaveGame_WriteRoom(SaveWriter& writer, CRoom& room)
{
    if (room.physicsEnabled) {
        Code_Error_Runtime("ERROR: game_save unavailable for rooms using physics", true);
        writer.Check(false);
    }
    writer.Text(room.caption);
    writer.S32(room.width);
    writer.S32(room.height);
    writer.S32(room.speed);
    writer.Flag(room.persistent != 0);
    writer.U32(room.colour);
    writer.Flag(room.showColour != 0);
    writer.Text(room.codeText);
    for (const RoomBackground& layer : room.backgrounds) {
        WriteBackground(writer, layer);
    }
    writer.Flag(room.viewsEnabled != 0);
    for (const RoomView& view : room.views) {
        WriteView(writer, view);
    }
    writer.S32(room.TileCount());
    for (int32_t index = 0; index < room.TileCount(); ++index) {
        WriteTile(writer, *room.TileAt(index));
    }
    WriteInstances(writer, room.activeInstances);
    WriteInstances(writer, room.deactivatedInstances);
}

bool SaveGame_ReadRoom(SaveReader& reader, CRoom& room)
{
    room.caption = reader.Text();
    room.width = reader.S32();
    room.height = reader.S32();
    room.speed = reader.S32();
    room.persistent = reader.Flag();
    room.colour = reader.U32();
    room.showColour = reader.Flag();
    room.codeText = reader.Text();
    for (RoomBackground& layer : room.backgrounds) {
        ReadBackground(reader, layer);
    }
    room.viewsEnabled = reader.Flag();
    for (RoomView& view : room.views) {
        ReadView(reader, view);
    }
    const int32_t tileCount = reader.Count(kTileBytes, "a tile count is larger than the file");
    for (int32_t entry = 0; entry < tileCount && reader.Ok(); ++entry) {
        const RoomTile tile = ReadTile(reader);
        if (reader.Ok()) {
            AddLoadedTile(room, tile);
        }
    }
    ReadInstances(reader, [&room](CInstance* instance) { room.activeInstances.InsertByDepth(instance); });
    ReadInstances(reader, [&room](CInstance* instance) { room.deactivatedInstances.Append(instance); });
    return reader.Ok();
}

// ---- instances ----

void SaveGame_WriteInstance(SaveWriter& writer, CInstance& instance)
{
    const InstanceBBox& box = instance.GetBBox();
    writer.S32(instance.i_id);
    writer.Flag(instance.i_deactivated != 0);
    writer.S32(instance.i_objindex);
    writer.S32(instance.i_spriteindex);
    for (const float field : {instance.i_imageindex, instance.i_imagespeed, instance.i_imagescalex,
                              instance.i_imagescaley, instance.i_imageangle, instance.i_imagealpha}) {
        writer.F32(field);
    }
    writer.U32(static_cast<uint32_t>(instance.i_imageblend));
    writer.S32(instance.i_maskindex);
    writer.F32(instance.i_depth);
    writer.Flag(instance.i_precise != 0);
    for (const float field : {instance.i_x, instance.i_y, instance.i_xstart, instance.i_ystart, instance.i_xprevious,
                              instance.i_yprevious, instance.i_direction, instance.i_speed, instance.i_friction,
                              instance.i_gravitydir, instance.i_gravity, instance.i_hspeed, instance.i_vspeed}) {
        writer.F32(field);
    }
    for (const int32_t edge : {box.left, box.right, box.top, box.bottom}) {
        writer.S32(edge);
    }
    writer.Flag(instance.i_visible != 0);
    writer.Flag(instance.i_solid != 0);
    writer.Flag(instance.i_persistent != 0);
    for (const int32_t alarm : instance.i_timer) {
        writer.S32(alarm);
    }
    writer.Flag(instance.i_marked != 0);
    writer.S32(instance.i_pathindex);
    for (const float field : {instance.i_pathposition, instance.i_pathpositionprevious, instance.i_pathspeed,
                              instance.i_pathscale, instance.i_pathorientation}) {
        writer.F32(field);
    }
    writer.S32(instance.i_pathend);
    writer.F32(instance.i_pathxstart);
    writer.F32(instance.i_pathystart);
    writer.S32(instance.i_timelineindex);
    writer.F32(instance.i_timelineposition);
    writer.F32(instance.i_timelinespeed);
    writer.Flag(instance.i_timelinerunning != 0);
    writer.Flag(instance.i_timelineloop != 0);
    writer.Check(instance.i_vars->SaveGame(writer.Stream()));
}

bool SaveGame_ReadInstance(SaveReader& reader, CInstance& instance)
{
    instance.i_id = reader.S32();
    instance.i_deactivated = reader.Flag();
    // The object's defaults come first; the saved fields then overwrite them.
    instance.SetObject(reader.S32(), false);
    instance.i_spriteindex = reader.S32();
    for (float* field : {&instance.i_imageindex, &instance.i_imagespeed, &instance.i_imagescalex,
                         &instance.i_imagescaley, &instance.i_imageangle, &instance.i_imagealpha}) {
        *field = reader.F32();
    }
    instance.i_imageblend = static_cast<int32_t>(reader.U32());
    instance.i_maskindex = reader.S32();
    instance.i_depth = reader.F32();
    instance.i_precise = reader.Flag();
    for (float* field : {&instance.i_x, &instance.i_y, &instance.i_xstart, &instance.i_ystart, &instance.i_xprevious,
                         &instance.i_yprevious, &instance.i_direction, &instance.i_speed, &instance.i_friction,
                         &instance.i_gravitydir, &instance.i_gravity, &instance.i_hspeed, &instance.i_vspeed}) {
        *field = reader.F32();
    }
    for (int32_t* edge : {&instance.i_bbox.left, &instance.i_bbox.right, &instance.i_bbox.top, &instance.i_bbox.bottom}) {
        *edge = reader.S32();
    }
    instance.i_bboxdirty = 0;
    instance.i_visible = reader.Flag();
    instance.i_solid = reader.Flag();
    instance.i_persistent = reader.Flag();
    for (int32_t& alarm : instance.i_timer) {
        alarm = reader.S32();
    }
    instance.i_marked = reader.Flag();
    instance.i_pathindex = reader.S32();
    for (float* field : {&instance.i_pathposition, &instance.i_pathpositionprevious, &instance.i_pathspeed,
                         &instance.i_pathscale, &instance.i_pathorientation}) {
        *field = reader.F32();
    }
    instance.i_pathend = reader.S32();
    instance.i_pathxstart = reader.F32();
    instance.i_pathystart = reader.F32();
    instance.i_timelineindex = reader.S32();
    instance.i_timelineposition = reader.F32();
    instance.i_timelinespeed = reader.F32();
    instance.i_timelinerunning = reader.Flag();
    instance.i_timelineloop = reader.Flag();
    if (reader.Ok()) {
        reader.Check(instance.i_vars->LoadGame(reader.Stream()), "an instance's variables are damaged");
    }
    // The instance lived through its create event before it was saved.
    instance.i_created = 1;
    return reader.Ok();
}

}  // namespace bw
