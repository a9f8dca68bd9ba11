#include "online/network/network_events.h"

#include <algorithm>
#include <vector>

#include "library/buffer.h"
#include "library/ds_map.h"
#include "world/game_state.h"
#include "world/run_step.h"

namespace bw {

namespace {

constexpr double kEventConnect = 1;
constexpr double kEventDisconnect = 2;
constexpr double kEventData = 3;

int32_t g_mapId = -1;
const CDS_Map* g_map = nullptr;  // tells our map from one game code made in its slot

// The map, emptied, or made again when game code destroyed it.
int32_t EventMap()
{
    CDS_Map* map = DS_MapPool().Get(g_mapId);
    if (map == nullptr || map != g_map) {
        g_mapId = DS_Map_Create();
        g_map = DS_MapPool().Get(g_mapId);
    } else {
        DS_Map_Clear(map);
    }
    return g_mapId;
}

void Perform(int32_t map)
{
    int32_t& asyncLoad = Event_Current().asyncLoad;
    const int32_t outer = asyncLoad;
    asyncLoad = map;
    Run_PerformListedOther(kNetworkEventNumber);
    asyncLoad = outer;
}

void PostConnection(double type, int32_t server, int32_t socket, const char* ip)
{
    const int32_t map = EventMap();
    DS_Map_AddReal(map, "type", type);
    DS_Map_AddReal(map, "id", server);
    DS_Map_AddReal(map, "socket", socket);
    DS_Map_AddString(map, "ip", ip);
    Perform(map);
}

}  // namespace

void Network_PostConnect(int32_t server, int32_t socket, const char* ip)
{
    PostConnection(kEventConnect, server, socket, ip);
}

void Network_PostDisconnect(int32_t server, int32_t socket)
{
    PostConnection(kEventDisconnect, server, socket, "");
}

void Network_PostData(int32_t socket, std::span<const uint8_t> bytes, const char* ip)
{
    // The bytes live here while the event runs, in a buffer that wraps
    // them. Afterwards it is deleted only while it still wraps them: game
    // code that deleted it (and perhaps made another under its id) or
    // resized it keeps what it has now.
    std::vector<uint8_t> held(std::max<size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), held.begin());
    const auto size = static_cast<int32_t>(bytes.size());
    const int32_t buffer = Buffer_CreateFromMemory(held.data(), size, false);
    const int32_t map = EventMap();
    DS_Map_AddReal(map, "type", kEventData);
    DS_Map_AddReal(map, "id", socket);
    DS_Map_AddReal(map, "buffer", buffer);
    DS_Map_AddReal(map, "size", size);
    DS_Map_AddString(map, "ip", ip);
    Perform(map);
    const IBuffer* after = Buffer_Get(buffer);
    if (after != nullptr && after->Data() == held.data()) {
        Buffer_Delete(buffer);
    }
}

void Network_ForgetEventMap()
{
    g_mapId = -1;
    g_map = nullptr;
}

}  // namespace bw
