// A debugger connection's bytes as the link reads them: packet after packet
// until one is cut short or malformed. A parsed packet never claims more
// bytes than were received, and an evaluate request's text never more than
// its packet holds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "online/debugger/debug_protocol.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> held(data, size);
    while (!held.empty()) {
        const bw::DebugParse parse = bw::DebugProtocol_Parse(held);
        if (parse.kind != bw::DebugParse::Kind::Command) {
            break;
        }
        Check(parse.consumed >= bw::kDebugPacketSize || parse.command.code == bw::kDebugEvaluate);
        Check(parse.consumed > 0 && parse.consumed <= held.size());
        for (const bw::DebugEvaluateRequest& request : parse.command.requests) {
            Check(request.text.size() < parse.consumed);
        }
        held = held.subspan(parse.consumed);
    }
    return 0;
}
