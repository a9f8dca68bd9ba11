#include "platform/messages.h"

namespace bw {

namespace {
MessagePump g_pump = nullptr;
}

void ProcessMessages()
{
    if (g_pump != nullptr) {
        g_pump();
    }
}

void ProcessMessages_SetPump(MessagePump pump)
{
    g_pump = pump;
}

}  // namespace bw
