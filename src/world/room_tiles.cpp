// The tiles of a run-time room: the array the tile_* built-ins edit and room
// drawing walks deepest first. Tiles are named by id; look-ups remember the
// last index found, because game code tends to ask for the same tile again.
#include <algorithm>

#include "world/room.h"

namespace bw {

namespace {

float RightOf(const RoomTile& tile)
{
    return tile.x + static_cast<float>(tile.width) * tile.xscale;
}

float BottomOf(const RoomTile& tile)
{
    return tile.y + static_cast<float>(tile.height) * tile.yscale;
}

// Finding: the right and bottom edges lie outside the tile.
bool ContainsHalfOpen(const RoomTile& tile, float x, float y)
{
    return x >= tile.x && x < RightOf(tile) && y >= tile.y && y < BottomOf(tile);
}

// Deleting by position: the edges belong to the tile.
bool ContainsClosed(const RoomTile& tile, float x, float y)
{
    return tile.x <= x && x <= RightOf(tile) && tile.y <= y && y <= BottomOf(tile);
}

template <typename Action>
void ForLayer(std::vector<RoomTile>& tiles, float depth, Action&& action)
{
    for (RoomTile& tile : tiles) {
        if (tile.depth == depth) {
            action(tile);
        }
    }
}

}  // namespace

template <typename Predicate>
void CRoom::EraseTilesWhere(Predicate&& doomed)
{
    size_t kept = 0;
    for (size_t index = 0; index < m_tiles.size(); ++index) {
        if (doomed(m_tiles[index])) {
            ForgetPassedTile(kept);
        } else {
            m_tiles[kept++] = m_tiles[index];
        }
    }
    m_tiles.resize(kept);
}

void CRoom::ForgetPassedTile(size_t index)
{
    for (size_t& place : m_tileWalks) {
        if (index < place) {
            --place;
        }
    }
}

int32_t CRoom::AddTile(const RoomTile& tile)
{
    m_tiles.push_back(tile);
    m_tiles.back().id = Tile_NextId();
    CacheTile(TileCount() - 1);
    return m_lastTile;
}

int32_t CRoom::FindTile(int32_t id)
{
    if (RoomTile* cached = TileAt(m_lastTile); cached != nullptr && cached->id == id) {
        return m_lastTile;
    }
    for (int32_t index = 0; index < TileCount(); ++index) {
        if (m_tiles[static_cast<size_t>(index)].id == id) {
            CacheTile(index);
            return index;
        }
    }
    return -1;
}

int32_t CRoom::FindTileAt(float x, float y, bool foreground)
{
    for (int32_t index = 0; index < TileCount(); ++index) {
        const RoomTile& tile = m_tiles[static_cast<size_t>(index)];
        if (ContainsHalfOpen(tile, x, y) && (tile.depth < 0.0f) == foreground) {
            CacheTile(index);
            return index;
        }
    }
    return -1;
}

void CRoom::DeleteTile(int32_t index)
{
    if (index >= 0 && index < TileCount()) {
        m_tiles.erase(m_tiles.begin() + index);
        ForgetPassedTile(static_cast<size_t>(index));
    }
}

void CRoom::DeleteTilesAt(float x, float y, bool foreground)
{
    EraseTilesWhere([=](const RoomTile& tile) {
        const bool layerMatches = foreground ? tile.depth <= 0.0f : tile.depth >= 0.0f;
        return layerMatches && ContainsClosed(tile, x, y);
    });
}

void CRoom::HideTileLayer(float depth)
{
    ForLayer(m_tiles, depth, [](RoomTile& tile) { tile.visible = 0; });
}

void CRoom::ShowTileLayer(float depth)
{
    ForLayer(m_tiles, depth, [](RoomTile& tile) { tile.visible = 1; });
}

void CRoom::DeleteTileLayer(float depth)
{
    EraseTilesWhere([=](const RoomTile& tile) { return tile.depth == depth; });
}

void CRoom::ShiftTileLayer(float depth, float dx, float dy)
{
    ForLayer(m_tiles, depth, [=](RoomTile& tile) {
        tile.x += dx;
        tile.y += dy;
    });
}

int32_t CRoom::FindTileInLayer(float depth, float x, float y)
{
    for (int32_t index = 0; index < TileCount(); ++index) {
        const RoomTile& tile = m_tiles[static_cast<size_t>(index)];
        if (tile.depth == depth && ContainsHalfOpen(tile, x, y)) {
            CacheTile(index);
            return index;
        }
    }
    return -1;
}

void CRoom::DeleteTileLayerAt(float depth, float x, float y)
{
    EraseTilesWhere([=](const RoomTile& tile) { return tile.depth == depth && ContainsHalfOpen(tile, x, y); });
}

void CRoom::SetTileLayerDepth(float depth, float newDepth)
{
    ForLayer(m_tiles, depth, [=](RoomTile& tile) { tile.depth = newDepth; });
}

void CRoom::SortTiles()
{
    // An insertion sort: stable, cheap on the nearly sorted arrays that
    // drawing sees every frame, and well defined whatever the depths hold
    // (a NaN depth simply stays where it is).
    for (size_t index = 1; index < m_tiles.size(); ++index) {
        if (!(m_tiles[index].depth > m_tiles[index - 1].depth)) {
            continue;
        }
        RoomTile moving = m_tiles[index];
        size_t at = index;
        while (at > 0 && m_tiles[at - 1].depth < moving.depth) {
            m_tiles[at] = m_tiles[at - 1];
            --at;
        }
        m_tiles[at] = moving;
    }
}

void CRoom::ClearTiles()
{
    m_tiles.clear();
    m_tiles.shrink_to_fit();
    m_lastTile = -1;
    std::fill(m_tileWalks.begin(), m_tileWalks.end(), size_t{0});
}

RoomTile* CRoom::TileAt(int32_t index)
{
    return index >= 0 && index < TileCount() ? &m_tiles[static_cast<size_t>(index)] : nullptr;
}

RoomTileWalk::RoomTileWalk(CRoom& room) : m_room(room), m_slot(room.m_tileWalks.size())
{
    m_room.m_tileWalks.push_back(0);
}

RoomTileWalk::~RoomTileWalk()
{
    m_room.m_tileWalks.pop_back();
}

const RoomTile* RoomTileWalk::Current() const
{
    const size_t place = m_room.m_tileWalks[m_slot];
    return place < m_room.m_tiles.size() ? &m_room.m_tiles[place] : nullptr;
}

void RoomTileWalk::Pass()
{
    ++m_room.m_tileWalks[m_slot];
}

}  // namespace bw
