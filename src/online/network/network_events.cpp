#include "online/network/network_events.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "library/buffer.h"
#include "library/ds_map.h"
#include "world/game_state.h"
#include "world/run_requests.h"
#include "world/run_step.h"

namespace bw {

namespace {

constexpr double kEventConnect = 1;
constexpr double kEventDisconnect = 2;
constexpr double kEventData = 3;

struct NetworkEvent {
    double type = kEventData;
    int32_t id = -1;      // the "id" key: the server, or the socket of data
    int32_t socket = -1;  // the socket the event is about
    std::string ip;
    std::vector<uint8_t> bytes;  // of data; never empty, so that it has an address
    int32_t size = 0;            // bytes that are data
};

int32_t g_mapId = -1;
uint64_t g_mapSerial = 0;  // tells our map from one game code made under its id
// Events that came while a room change waited, oldest first.
std::deque<NetworkEvent> g_waiting;

// The map, emptied, or made again when game code destroyed it.
int32_t EventMap()
{
    CDS_Map* map = DS_MapPool().Get(g_mapId);
    if (map == nullptr || DS_MapPool().Serial(g_mapId) != g_mapSerial) {
        g_mapId = DS_Map_Create();
        g_mapSerial = DS_MapPool().Serial(g_mapId);
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

void PerformConnection(const NetworkEvent& event)
{
    const int32_t map = EventMap();
    DS_Map_AddReal(map, "type", event.type);
    DS_Map_AddReal(map, "id", event.id);
    DS_Map_AddReal(map, "socket", event.socket);
    DS_Map_AddString(map, "ip", event.ip.c_str());
    Perform(map);
}

void PerformData(NetworkEvent& event)
{
    // The bytes live in the event while it runs, in a buffer that wraps
    // them. Afterwards it is deleted only while it still wraps them: game
    // code that deleted it (and perhaps made another under its id) or
    // resized it keeps what it has now.
    const int32_t buffer = Buffer_CreateFromMemory(event.bytes.data(), event.size, false);
    const int32_t map = EventMap();
    DS_Map_AddReal(map, "type", kEventData);
    DS_Map_AddReal(map, "id", event.id);
    DS_Map_AddReal(map, "buffer", buffer);
    DS_Map_AddReal(map, "size", event.size);
    DS_Map_AddString(map, "ip", event.ip.c_str());
    Perform(map);
    const IBuffer* after = Buffer_Get(buffer);
    if (after != nullptr && after->Data() == event.bytes.data()) {
        Buffer_Delete(buffer);
    }
}

void PerformEvent(NetworkEvent& event)
{
    if (event.type == kEventData) {
        PerformData(event);
    } else {
        PerformConnection(event);
    }
}

// While a room change waits no event can run: the event waits, and so
// does every later one, to keep their order.
void Post(NetworkEvent event)
{
    if (Run_RequestPending() || !g_waiting.empty()) {
        g_waiting.push_back(std::move(event));
        return;
    }
    PerformEvent(event);
}

void PostConnection(double type, int32_t server, int32_t socket, const char* ip)
{
    NetworkEvent event;
    event.type = type;
    event.id = server;
    event.socket = socket;
    event.ip = ip;
    Post(std::move(event));
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
    NetworkEvent event;
    event.id = socket;
    event.socket = socket;
    event.ip = ip;
    event.bytes.assign(bytes.begin(), bytes.end());
    event.size = static_cast<int32_t>(bytes.size());
    if (event.bytes.empty()) {
        event.bytes.push_back(0);
    }
    Post(std::move(event));
}

void Network_PerformWaiting()
{
    while (!g_waiting.empty() && !Run_RequestPending()) {
        NetworkEvent event = std::move(g_waiting.front());
        g_waiting.pop_front();
        PerformEvent(event);
    }
}

void Network_DropWaiting(int32_t socket)
{
    // A server's connects and disconnects name it by their id.
    std::erase_if(g_waiting, [socket](const NetworkEvent& event) { return event.socket == socket || event.id == socket; });
}

void Network_ForgetEvents()
{
    g_mapId = -1;
    g_mapSerial = 0;
    g_waiting.clear();
}

}  // namespace bw
