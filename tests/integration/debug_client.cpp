// A debugger for the debugger link case: it attaches to a runner started
// with -debug on 127.0.0.1 and says what it met, one line each, for the
// case script to compare. The game is packages/debugger_link.
//   debug_client PORT MODE
// Both modes hold the game at a breakpoint at the start of scr_a, read one
// held state (it carries a 6 MB global) and then four asked for at once
// before reading any, and evaluate instance_destroy() there. Then:
//   finish  steps five times, saying where each step holds, runs the game
//           on, has it end itself and waits for the runner to close the link
//   unread  asks for four more held states, reads none, says so and waits
//           (the case ends the runner from outside meanwhile)
// Replies of unknown length are framed by a known one: every exchange ends
// with an evaluation of 0 under an id of its own, whose 33-byte reply marks
// where the exchange's replies end. Every wait is bounded.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "host/net_socket.h"
#include "online/debugger/debug_protocol.h"
#include "online/network/net_protocol.h"
#include "script/value.h"
#include "support/debugger_wire.h"

namespace {

using namespace bw;
using test::EvaluatePacket;
using test::Packet;
using test::ReplyReader;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kNoCode = 0xFFFFFFFFu;
constexpr uint32_t kFrameId = 0x5EC0FFEEu;
constexpr auto kQuietLimit = std::chrono::seconds(10);

// The reply to the evaluation of "0" under kFrameId.
Bytes FrameReply()
{
    DebugReply reply;
    reply.U32(kDebugEvaluate);
    reply.U32(33);
    reply.U32(1);
    reply.U32(kFrameId);
    reply.U8(kValueReal);
    reply.F64(0.0);
    return reply.Data();
}

class Link {
public:
    // Connects (the runner may still be starting) and shakes hands.
    bool Open(uint16_t port)
    {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < deadline) {
            m_socket = HostSocket_Create(false);
            if (HostSocket_Connect(m_socket, 0x7F000001, port, 1000)) {
                const Bytes greeting = Receive(kNetGreeting.size());
                const auto request = NetHandshake_Request();
                return greeting == Bytes(kNetGreeting.begin(), kNetGreeting.end()) &&
                       Send(Bytes(request.begin(), request.end())) &&
                       NetHandshake_IsReply(Receive(kNetHandshakeReplySize));
            }
            HostSocket_Close(m_socket);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    bool Send(const Bytes& bytes) { return HostSocket_Send(m_socket, bytes) == static_cast<int64_t>(bytes.size()); }

    // The replies to the packets, or none when they did not all come.
    std::optional<Bytes> Exchange(const std::vector<Bytes>& packets)
    {
        for (const Bytes& packet : packets) {
            Send(packet);
        }
        Send(EvaluatePacket({{kFrameId, "0"}}));
        static const Bytes frame = FrameReply();
        Bytes got;
        while (got.size() < frame.size() || !std::equal(frame.rbegin(), frame.rend(), got.rbegin())) {
            if (!ReadSome(&got)) {
                return std::nullopt;
            }
        }
        got.resize(got.size() - frame.size());
        return got;
    }

    // Whether the runner closed the link within the quiet limit.
    bool AwaitClose()
    {
        Bytes ignored;
        while (ReadSome(&ignored)) {
        }
        return m_closed;
    }

private:
    Bytes Receive(size_t count)
    {
        Bytes got;
        while (got.size() < count && ReadSome(&got)) {
        }
        got.resize(std::min(got.size(), count));
        return got;
    }

    // Appends what comes; false once the link closed or was quiet too long.
    bool ReadSome(Bytes* got)
    {
        const Clock::time_point deadline = Clock::now() + kQuietLimit;
        while (Clock::now() < deadline) {
            HostSocket_PollReadable(std::span(&m_socket, 1), 50);
            uint8_t area[65536];
            const NetReadResult read = HostSocket_Receive(m_socket, area);
            if (read.outcome == NetRead::Closed) {
                m_closed = true;
                return false;
            }
            if (read.outcome == NetRead::Data) {
                got->insert(got->end(), area, area + read.size);
                return true;
            }
        }
        return false;
    }

    int m_socket = kNoSocket;
    bool m_closed = false;
};

// Code identities by unit name, from the symbols reply's code section.
std::map<std::string, uint32_t> CodeUnits(const Bytes& symbols)
{
    ReplyReader reader(symbols);
    for (int word = 0; word < 6; ++word) {
        reader.U32();  // magic, 44, the command, the revision tag and number, the code tag
    }
    std::map<std::string, uint32_t> units;
    for (uint32_t count = reader.U32(); count > 0 && !reader.AtEnd(); --count) {
        const uint32_t identity = reader.U32();
        units[reader.String()] = identity;
        reader.Bytes();
    }
    return units;
}

std::string NameOf(const std::map<std::string, uint32_t>& units, uint32_t identity)
{
    for (const auto& [name, unit] : units) {
        if (unit == identity) {
            return name;
        }
    }
    return "code " + std::to_string(identity);
}

// The held code of an info reply (magic, 44, paused, code...); kNoCode when
// the game is not held inside code.
uint32_t HeldCode(const Bytes& info)
{
    ReplyReader reader(info);
    reader.U32();
    reader.U32();
    return reader.U32() == 1 ? reader.U32() : kNoCode;
}

// The one result of an evaluate reply: magic, 44, the command, the length,
// the count and the id, then the kind and the value.
std::string EvaluatedText(const Bytes& reply)
{
    ReplyReader reader(reply);
    for (int word = 0; word < 6; ++word) {
        reader.U32();
    }
    if (reader.U8() != kValueReal) {
        return reader.String();
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g", reader.F64());
    return text;
}

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int Fail(const std::string& why)
{
    Say("failed: " + why);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: debug_client PORT finish|unread\n");
        return 2;
    }
    const std::string mode = argv[2];
    Link link;
    if (!link.Open(static_cast<uint16_t>(std::atoi(argv[1])))) {
        return Fail("no debugger link");
    }
    const std::optional<Bytes> symbols = link.Exchange({Packet(kDebugSymbols)});
    const std::map<std::string, uint32_t> units = symbols ? CodeUnits(*symbols) : std::map<std::string, uint32_t>{};
    if (!units.contains("Script.scr_a")) {
        return Fail("no machine code for scr_a");
    }
    const uint32_t scriptA = units.at("Script.scr_a");
    link.Send(Packet(kDebugBreakpoint, scriptA, 1, 0));

    std::optional<Bytes> held;
    for (int look = 0; look < 500 && !(held && HeldCode(*held) != kNoCode); ++look) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        held = link.Exchange({Packet(kDebugInfo)});
    }
    if (!held || HeldCode(*held) == kNoCode) {
        return Fail("the breakpoint never held the game");
    }
    Say("held in " + NameOf(units, HeldCode(*held)));
    Say(held->size() > 6000000 ? "one held state: over 6 MB" : "one held state: " + std::to_string(held->size()));
    const Bytes info = Packet(kDebugInfo);
    const std::optional<Bytes> four = link.Exchange({info, info, info, info});
    if (!four) {
        return Fail("four held states asked at once: the link went quiet");
    }
    Say(four->size() == 4 * held->size() ? "four held states asked at once: all whole"
                                         : "four held states asked at once: " + std::to_string(four->size()) +
                                               " bytes of 4 x " + std::to_string(held->size()));
    const std::optional<Bytes> destroyed = link.Exchange({EvaluatePacket({{1, "instance_destroy()"}})});
    Say("evaluated instance_destroy(): " + (destroyed ? EvaluatedText(*destroyed) : "no reply"));

    if (mode == "unread") {
        for (int i = 0; i < 4; ++i) {
            link.Send(info);
        }
        Say("four more held states asked, none read");
        std::this_thread::sleep_for(std::chrono::seconds(60));  // the case ends it sooner
        return 0;
    }
    link.Send(Packet(kDebugBreakpoint, scriptA, 0, 0));
    for (int step = 0; step < 5; ++step) {
        const std::optional<Bytes> state = link.Exchange({Packet(kDebugStep), info});
        if (!state) {
            return Fail("no hold after a step");
        }
        Say("step held in " + NameOf(units, HeldCode(*state)));
    }
    link.Send(Packet(kDebugRun));
    const std::optional<Bytes> finished = link.Exchange({EvaluatePacket({{2, "scr_finish()"}})});
    Say("evaluated scr_finish(): " + (finished ? EvaluatedText(*finished) : "no reply"));
    Say(link.AwaitClose() ? "the runner closed the link" : "the link stayed open");
    return 0;
}
