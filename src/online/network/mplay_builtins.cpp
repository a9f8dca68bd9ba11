#include "online/network/mplay_builtins.h"

#include "script/arguments.h"

namespace bw {

namespace {

// Every count, status, id, read value and success flag: 0.
BW_BUILTIN(MPlayNothing)
{
    Value_SetReal(*result, 0);
}

// Session and player names, and the address.
BW_BUILTIN(MPlayNoText)
{
    Result_SetString(result, "");
}

// No message was received, so its sender is in no player list.
BW_BUILTIN(MPlayMessageName)
{
    Result_SetString(result, "(unknown)");
}

const BuiltinRegistration kMPlayBuiltins[] = {
    {"mplay_init_ipx", &MPlayNothing, 0},
    {"mplay_init_tcpip", &MPlayNothing, 1},
    {"mplay_init_modem", &MPlayNothing, 2},
    {"mplay_init_serial", &MPlayNothing, 5},
    {"mplay_connect_status", &MPlayNothing, 0},
    {"mplay_end", &MPlayNothing, 0},
    {"mplay_session_mode", &MPlayNothing, 1},
    {"mplay_session_create", &MPlayNothing, 3},
    {"mplay_session_find", &MPlayNothing, 0},
    {"mplay_session_name", &MPlayNoText, 1},
    {"mplay_session_join", &MPlayNothing, 2},
    {"mplay_session_status", &MPlayNothing, 0},
    {"mplay_session_end", &MPlayNothing, 0},
    {"mplay_player_find", &MPlayNothing, 0},
    {"mplay_player_name", &MPlayNoText, 1},
    {"mplay_player_id", &MPlayNothing, 1},
    {"mplay_data_write", &MPlayNothing, 2},
    {"mplay_data_read", &MPlayNothing, 1},
    {"mplay_data_mode", &MPlayNothing, 1},
    {"mplay_message_send", &MPlayNothing, 3},
    {"mplay_message_send_guaranteed", &MPlayNothing, 3},
    {"mplay_message_receive", &MPlayNothing, 1},
    {"mplay_message_id", &MPlayNothing, 0},
    {"mplay_message_value", &MPlayNothing, 0},
    {"mplay_message_player", &MPlayNothing, 0},
    {"mplay_message_name", &MPlayMessageName, 0},
    {"mplay_message_count", &MPlayNothing, 1},
    {"mplay_message_clear", &MPlayNothing, 1},
    {"mplay_ipaddress", &MPlayNoText, 0},
};

}  // namespace

void Function_MPlay_Register()
{
    Builtins_Register(kMPlayBuiltins);
}

}  // namespace bw
