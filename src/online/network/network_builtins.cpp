#include "online/network/network_builtins.h"

#include <algorithm>
#include <optional>
#include <span>

#include "script/arguments.h"
#include "library/buffer.h"
#include "online/network/network.h"
#include "script/error_report.h"

namespace bw {

namespace {

const char* Text(const Value& arg)
{
    return arg.ptr != nullptr ? Value_String(arg) : "";
}

// The first size bytes of the buffer, cut to what it holds; nothing for a
// buffer id that names none.
std::optional<std::span<const uint8_t>> BufferBytes(const Value& buffer, const Value& size)
{
    const IBuffer* found = Buffer_Get(Arg_Round(buffer));
    if (found == nullptr) {
        return std::nullopt;
    }
    const int32_t count = std::clamp(Arg_Round(size), 0, found->Size());
    return std::span<const uint8_t>(found->Data(), static_cast<size_t>(count));
}

// As BufferBytes, reporting a missing buffer.
std::optional<std::span<const uint8_t>> CheckedBufferBytes(const Value& buffer, const Value& size)
{
    auto bytes = BufferBytes(buffer, size);
    if (!bytes) {
        Code_Error_Runtime("Illegal Buffer ID", false);
    }
    return bytes;
}

BW_BUILTIN(NetworkCreateSocket)
{
    Value_SetReal(*result, -1);
    if (Arguments_Check(argc, args, "r")) {
        Value_SetReal(*result, Network_CreateSocket(Arg_Round(args[0])));
    }
}

BW_BUILTIN(NetworkCreateServer)
{
    Value_SetReal(*result, -1);
    if (Arguments_Check(argc, args, "rrr")) {
        Value_SetReal(*result, Network_CreateServer(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2])));
    }
}

// Arguments that cannot be used fail the connect: 0 would read as
// "connected".
void Connect(Value* result, int32_t argc, const Value* args, bool handshake)
{
    Value_SetReal(*result, -1);
    if (Arguments_Check(argc, args, "rsr")) {
        Value_SetReal(*result, Network_Connect(Arg_Round(args[0]), Text(args[1]), Arg_Round(args[2]), handshake));
    }
}

BW_BUILTIN(NetworkConnect)
{
    Connect(result, argc, args, true);
}

BW_BUILTIN(NetworkConnectRaw)
{
    Connect(result, argc, args, false);
}

void Send(Value* result, int32_t argc, const Value* args, int32_t (*send)(int32_t, std::span<const uint8_t>))
{
    Value_SetReal(*result, -1);
    if (!Arguments_Check(argc, args, "rrr")) {
        return;
    }
    if (const auto bytes = BufferBytes(args[1], args[2])) {
        Value_SetReal(*result, send(Arg_Round(args[0]), *bytes));
    }
}

BW_BUILTIN(NetworkSendPacket)
{
    Send(result, argc, args, &Network_SendPacket);
}

BW_BUILTIN(NetworkSendRaw)
{
    Send(result, argc, args, &Network_SendRaw);
}

BW_BUILTIN(NetworkSendBroadcast)
{
    Value_SetReal(*result, -1);
    if (!Arguments_Check(argc, args, "rrrr")) {
        return;
    }
    if (const auto bytes = CheckedBufferBytes(args[2], args[3])) {
        Value_SetReal(*result, Network_SendBroadcast(Arg_Round(args[0]), Arg_Round(args[1]), *bytes));
    }
}

BW_BUILTIN(NetworkSendUdp)
{
    Value_SetReal(*result, -1);
    if (!Arguments_Check(argc, args, "rsrrr")) {
        return;
    }
    if (const auto bytes = CheckedBufferBytes(args[3], args[4])) {
        Value_SetReal(*result, Network_SendUdp(Arg_Round(args[0]), Text(args[1]), Arg_Round(args[2]), *bytes));
    }
}

BW_BUILTIN(NetworkResolve)
{
    Result_SetString(result, "");
    if (Arguments_Check(argc, args, "s")) {
        Result_SetString(result, Network_Resolve(Text(args[0])).c_str());
    }
}

BW_BUILTIN(NetworkReceivePacket)
{
    Value_SetReal(*result, 0);
    if (Arguments_Check(argc, args, "rrr")) {
        CheckedBufferBytes(args[1], args[2]);
    }
}

BW_BUILTIN(NetworkDestroy)
{
    Value_SetReal(*result, 0);
    if (Arguments_Check(argc, args, "r")) {
        Network_Destroy(Arg_Round(args[0]));
    }
}

BW_BUILTIN(NetworkSetTimeout)
{
    Value_SetReal(*result, 0);
    if (Arguments_Check(argc, args, "rrr")) {
        Value_SetReal(*result, Network_SetTimeout(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2])));
    }
}

// Each count is the one its body needs (some were registered one short,
// which left those built-ins uncallable).
const BuiltinRegistration kNetworkingBuiltins[] = {
    {"network_create_socket", &NetworkCreateSocket, 1},
    {"network_create_server", &NetworkCreateServer, 3},
    {"network_connect", &NetworkConnect, 3},
    {"network_connect_raw", &NetworkConnectRaw, 3},
    {"network_send_packet", &NetworkSendPacket, 3},
    {"network_send_raw", &NetworkSendRaw, 3},
    {"network_send_broadcast", &NetworkSendBroadcast, 4},
    {"network_send_udp", &NetworkSendUdp, 5},
    {"network_resolve", &NetworkResolve, 1},
    {"network_receive_packet", &NetworkReceivePacket, 3},
    {"network_destroy", &NetworkDestroy, 1},
    {"network_set_timeout", &NetworkSetTimeout, 3},
};

}  // namespace

void Function_Networking_Register()
{
    Builtins_Register(kNetworkingBuiltins);
}

}  // namespace bw
