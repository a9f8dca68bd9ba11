// The asynchronous networking event (other event 68): one ds_map kept for
// the whole run, filled for each event and named by async_load while the
// event runs on every instance that has it. An event that comes while a room
// change waits is held for the next network update.
#pragma once

#include <cstdint>
#include <span>

namespace bw {

inline constexpr int32_t kNetworkEventNumber = 68;

// A server accepted a connection (after its handshake) or lost one.
void Network_PostConnect(int32_t server, int32_t socket, const char* ip);
void Network_PostDisconnect(int32_t server, int32_t socket);
// Bytes for socket, handed over in a new buffer that is deleted after the
// event (unless game code replaced or resized it meanwhile).
void Network_PostData(int32_t socket, std::span<const uint8_t> bytes, const char* ip);

// Events that came while a room change waited, in the order they came,
// until another room change is asked: the start of each network update.
void Network_PerformWaiting();
// Game code destroyed the socket or server: its waiting events go with it.
void Network_DropWaiting(int32_t socket);

// Shut-down: the waiting events are dropped. The map is game code's data and
// goes with the data structures; only the note of it is dropped here.
void Network_ForgetEvents();

}  // namespace bw
