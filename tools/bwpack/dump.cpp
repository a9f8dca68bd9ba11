#include "bwpack/dump.h"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

#include "bwpack/package_view.h"
#include "script/bytecode.h"

namespace bw::pack {
namespace {

constexpr size_t kEventTypes = 12;
constexpr uint32_t kActionRecordSize = 64;
constexpr int kRoomLayers = 8;

std::string Escaped(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Real(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIx64, value);
    return text;
}

std::string Ints(const PackageView& view, uint64_t at, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) out += (i == 0 ? "" : " ") + std::to_string(view.I32(at + 4 * static_cast<uint64_t>(i)));
    return out;
}

class Dumper {
public:
    explicit Dumper(std::span<const uint8_t> bytes) : m_view(bytes) {}
    std::string Run();

private:
    void Line(int indent, const std::string& text) { m_out += std::string(static_cast<size_t>(indent) * 2, ' ') + text + "\n"; }
    std::string Str(uint32_t offset) const
    {
        const std::optional<std::string> text = m_view.String(offset);
        return text ? Escaped(*text) : "none";
    }
    std::string Code(uint32_t word) const { return m_bytecode ? "code #" + std::to_string(static_cast<int32_t>(word)) : Str(word); }
    std::string PageEntry(uint32_t offset) const
    {
        if (offset == 0) return "none";
        const auto found = m_pageEntries.find(offset);
        return found != m_pageEntries.end() ? "tpag #" + std::to_string(found->second) : "tpag at " + std::to_string(offset) + " (no entry)";
    }
    void Records(const ChunkInfo& chunk, const std::function<void(uint32_t at, size_t index)>& one);
    void ActionList(int indent, uint32_t at);

    void General(const ChunkInfo& chunk);
    void Options(const ChunkInfo& chunk);
    void Extensions(const ChunkInfo& chunk);
    void Sounds(const ChunkInfo& chunk);
    void Audio(const ChunkInfo& chunk);
    void Sprites(const ChunkInfo& chunk);
    void Backgrounds(const ChunkInfo& chunk);
    void Paths(const ChunkInfo& chunk);
    void Scripts(const ChunkInfo& chunk);
    void Shaders(const ChunkInfo& chunk);
    void Fonts(const ChunkInfo& chunk);
    void Timelines(const ChunkInfo& chunk);
    void Objects(const ChunkInfo& chunk);
    void Rooms(const ChunkInfo& chunk);
    void PageEntries(const ChunkInfo& chunk);
    void CodeEntries(const ChunkInfo& chunk);
    // at: the word's file offset; offset: its place in the entry.
    std::string Instruction(uint32_t at, uint32_t offset, uint32_t word, uint64_t operand) const;
    void Bindings(const ChunkInfo& chunk);
    void FollowChains(const ChunkInfo& chunk, bool variables);
    void DebugTables(const ChunkInfo& chunk);
    void Strings(const ChunkInfo& chunk);
    void Textures(const ChunkInfo& chunk);

    PackageView m_view;
    std::string m_out;
    uint8_t m_format = 0;
    bool m_bytecode = false;
    bool m_debugFile = false;  // a DBGI chunk: SCPT records are texts
    std::map<uint32_t, size_t> m_pageEntries;
    std::vector<std::string> m_strings;  // STRG texts by index, for string operands
    std::map<uint32_t, std::string> m_boundNames;  // occurrence offset -> name, from VARI and FUNC
};

void Dumper::Records(const ChunkInfo& chunk, const std::function<void(uint32_t, size_t)>& one)
{
    const std::vector<uint32_t> offsets = m_view.PointerList(chunk.payload);
    for (size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] == 0) {
            Line(1, "[" + std::to_string(i) + "] empty");
            continue;
        }
        one(offsets[i], i);
    }
}

void Dumper::ActionList(int indent, uint32_t at)
{
    const std::vector<uint32_t> actions = m_view.PointerList(at);
    if (actions.empty() || actions[0] == 0) {
        Line(indent, "no action");
        return;
    }
    m_view.Need(actions[0], kActionRecordSize);
    const std::string code = m_bytecode ? Code(m_view.U32(actions[0] + 32)) : Str(m_view.U32(actions[0] + 60));
    Line(indent, "action" + std::string(actions.size() > 1 ? " (first of " + std::to_string(actions.size()) + ")" : "") + ": " + code);
}

void Dumper::General(const ChunkInfo& chunk)
{
    const uint32_t at = chunk.payload;
    const uint8_t format = m_view.U8(at + 1);
    Line(1, "flags " + Hex(m_view.U8(at)) + (m_view.U8(at) & 1 ? " (debug off)" : " (debug on)") + ", format " + std::to_string(format));
    Line(1, "name " + Str(m_view.U32(at + 4)) + ", config " + Str(m_view.U32(at + 8)) + ", save folder " + Str(m_view.U32(at + 40)));
    Line(1, "last instance id " + std::to_string(m_view.I32(at + 12)) + ", last tile id " + std::to_string(m_view.I32(at + 16)) +
                ", game id " + std::to_string(m_view.I32(at + 20)));
    Line(1, "values at 24 " + Hex(m_view.U64(at + 24)) + ", at 32 " + Hex(m_view.U64(at + 32)));
    if (format >= 8) {
        Line(1, "window " + std::to_string(m_view.I32(at + 60)) + "x" + std::to_string(m_view.I32(at + 64)) + ", flags " + Hex(m_view.U32(at + 68)));
    }
    if (format >= 10) Line(1, "caption " + Str(m_view.U32(at + 100)));
    if (format >= 11) Line(1, "value at 104 " + Hex(m_view.U64(at + 104)));
    if (format >= 12) Line(1, "feature mask " + Hex(m_view.U64(at + 112)));
    if (format >= 13) Line(1, "steam app id " + std::to_string(m_view.I32(at + 120)));
    const std::map<uint8_t, uint32_t> orderAt = {{10, 104}, {11, 112}, {12, 120}, {13, 124}};
    const uint32_t order = format <= 7 ? 36 : (orderAt.count(format) != 0 ? orderAt.at(format) : 100);
    const uint32_t rooms = m_view.U32(at + order);
    m_view.Need(at + order + 4, static_cast<uint64_t>(rooms) * 4);
    Line(1, "room order (" + std::to_string(rooms) + "):" + (rooms > 0 ? " " + Ints(m_view, at + order + 4, static_cast<int>(rooms)) : ""));
}

void Dumper::Options(const ChunkInfo& chunk)
{
    Line(1, "words 0-34: " + Ints(m_view, chunk.payload, 35));
    const uint32_t count = m_view.U32(chunk.payload + 140);
    m_view.Need(chunk.payload + 144, static_cast<uint64_t>(count) * 8);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t pair = chunk.payload + 144 + 8 * static_cast<uint64_t>(i);
        Line(1, "constant " + Str(m_view.U32(pair)) + " = " + Str(m_view.U32(pair + 4)));
    }
}

void Dumper::Extensions(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at + 4)) + " folder " + Str(m_view.U32(at)));
        for (uint32_t file : m_view.PointerList(at + 8)) {
            if (file == 0) continue;
            Line(2, "file " + Str(m_view.U32(file)) + " kind " + std::to_string(m_view.I32(file + 12)) + ", init " +
                        Str(m_view.U32(file + 8)) + ", final " + Str(m_view.U32(file + 4)));
            for (uint32_t function : m_view.PointerList(file + 16)) {
                if (function == 0) continue;
                const uint32_t arguments = m_view.U32(function + 20);
                m_view.Need(function + 24, static_cast<uint64_t>(arguments) * 4);
                Line(3, "function " + Str(m_view.U32(function)) + " id " + std::to_string(m_view.I32(function + 4)) + ", call " +
                            std::to_string(m_view.I32(function + 8)) + ", result " + std::to_string(m_view.I32(function + 12)) +
                            ", external " + Str(m_view.U32(function + 16)) + ", arguments (" + std::to_string(arguments) + ")" +
                            (arguments > 0 ? " " + Ints(m_view, function + 24, static_cast<int>(arguments)) : ""));
            }
        }
    });
}

void Dumper::Sounds(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " kind " + std::to_string(m_view.I32(at + 4)) + ", extension " +
                    Str(m_view.U32(at + 8)) + ", file " + Str(m_view.U32(at + 12)) + ", effects " + std::to_string(m_view.I32(at + 16)) +
                    ", volume " + Real(m_view.F32(at + 20)) + ", pan " + Real(m_view.F32(at + 24)) + ", preload " +
                    std::to_string(m_view.U32(at + 28)) + ", audio #" + std::to_string(m_view.I32(at + 32)));
    });
}

void Dumper::Audio(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t size = m_view.U32(at);
        const std::span<const uint8_t> data = m_view.Bytes(at + 4, size);
        const std::string kind = size >= 4 ? std::string(reinterpret_cast<const char*>(data.data()), 4) : "";
        Line(1, "[" + std::to_string(index) + "] " + std::to_string(size) + " bytes, starting " + Escaped(kind));
    });
}

void Dumper::Sprites(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const int32_t width = m_view.I32(at + 4), height = m_view.I32(at + 8);
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " " + std::to_string(width) + "x" + std::to_string(height) +
                    ", origin " + std::to_string(m_view.I32(at + 48)) + "," + std::to_string(m_view.I32(at + 52)));
        Line(2, "bbox mode " + std::to_string(m_view.I32(at + 40)) + ", left right bottom top " + Ints(m_view, at + 12, 4) +
                    ", transparent smooth preload " + Ints(m_view, at + 28, 3) + ", precise " + std::to_string(m_view.I32(at + 44)));
        const uint32_t frames = m_view.U32(at + 56);
        m_view.Need(at + 60, static_cast<uint64_t>(frames) * 4);
        std::string entries;
        for (uint32_t i = 0; i < frames; ++i) entries += " " + PageEntry(m_view.U32(at + 60 + 4 * static_cast<uint64_t>(i)));
        Line(2, "frames (" + std::to_string(frames) + "):" + entries);
        const uint64_t masksAt = at + 60 + 4 * static_cast<uint64_t>(frames);
        const uint32_t masks = m_view.U32(masksAt);
        if (width < 0 || height < 0) throw DumpError("sprite of negative size");
        const uint64_t maskSize = (static_cast<uint64_t>(width) + 7) / 8 * static_cast<uint64_t>(height);
        if (masks > 0 && (maskSize == 0 || maskSize > m_view.Size())) throw DumpError("sprite masks of " + std::to_string(maskSize) + " bytes");
        m_view.Need(masksAt + 4, masks * maskSize);
        for (uint32_t m = 0; m < masks; ++m) {
            const std::span<const uint8_t> bits = m_view.Bytes(masksAt + 4 + m * maskSize, maskSize);
            size_t solid = 0;
            for (uint8_t byte : bits) solid += static_cast<size_t>(std::popcount(byte));
            Line(2, "mask " + std::to_string(m) + ": " + std::to_string(solid) + " solid pixels");
        }
    });
}

void Dumper::Backgrounds(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " transparent smooth preload " + Ints(m_view, at + 4, 3) + ", " +
                    PageEntry(m_view.U32(at + 16)));
    });
}

void Dumper::Paths(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t points = m_view.U32(at + 16);
        m_view.Need(at + 20, static_cast<uint64_t>(points) * 12);
        std::string list;
        for (uint32_t i = 0; i < points; ++i) {
            const uint64_t point = at + 20 + 12 * static_cast<uint64_t>(i);
            list += " (" + Real(m_view.F32(point)) + "," + Real(m_view.F32(point + 4)) + "," + Real(m_view.F32(point + 8)) + ")";
        }
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " kind closed precision " + Ints(m_view, at + 4, 3) + ", points (" +
                    std::to_string(points) + "):" + list);
    });
}

void Dumper::Scripts(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + (m_debugFile ? "" : ": " + Code(m_view.U32(at + 4))));
    });
}

// The debug file's line tables: statement offset -> source position.
void Dumper::DebugTables(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t count = m_view.U32(at);
        m_view.Need(at + 4, static_cast<uint64_t>(count) * 8);
        std::string pairs;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t pair = at + 4 + 8 * static_cast<uint64_t>(i);
            pairs += " " + std::to_string(m_view.I32(pair)) + "@" + std::to_string(m_view.I32(pair + 4));
        }
        Line(1, "[" + std::to_string(index) + "] " + std::to_string(count) + " lines:" + pairs);
    });
}

void Dumper::Shaders(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)));
        for (int i = 0; i < 8; ++i) Line(2, "source " + std::to_string(i) + ": " + Str(m_view.U32(at + 4 + 4 * static_cast<uint64_t>(i))));
    });
}

void Dumper::Fonts(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t range = m_view.U32(at + 20);
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " face " + Str(m_view.U32(at + 4)) + " size " +
                    std::to_string(m_view.I32(at + 8)) + ", bold italic " + Ints(m_view, at + 12, 2) + ", first " +
                    std::to_string(range & 0xFFFF) + " charset " + std::to_string((range >> 16) & 0xFF) + " antialias+1 " +
                    std::to_string(range >> 24) + ", last " + std::to_string(m_view.I32(at + 24)));
        Line(2, PageEntry(m_view.U32(at + 28)) + ", scale " + Real(m_view.F32(at + 32)) + "," + Real(m_view.F32(at + 36)));
        for (uint32_t glyph : m_view.PointerList(at + 40)) {
            if (glyph == 0) continue;
            std::string fields = "glyph " + std::to_string(m_view.U16(glyph)) + ":";
            for (int i = 1; i < 7; ++i) fields += " " + std::to_string(m_view.I16(glyph + 2 * static_cast<uint64_t>(i)));
            Line(2, fields);
        }
    });
    // The character table fills the last 512 bytes.
    if (chunk.length < 512) throw DumpError("FONT chunk shorter than its character table");
    const uint64_t table = chunk.payload + chunk.length - 512;
    bool identity = true;
    for (uint64_t i = 0; i < 256; ++i) identity = identity && m_view.U16(table + 2 * i) == i;
    Line(1, std::string("character table: ") + (identity ? "identity" : "mapped"));
}

void Dumper::Timelines(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t moments = m_view.U32(at + 4);
        m_view.Need(at + 8, static_cast<uint64_t>(moments) * 8);
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " moments (" + std::to_string(moments) + ")");
        for (uint32_t i = 0; i < moments; ++i) {
            const uint64_t pair = at + 8 + 8 * static_cast<uint64_t>(i);
            Line(2, "step " + std::to_string(m_view.I32(pair)));
            ActionList(3, m_view.U32(pair + 4));
        }
    });
}

void Dumper::Objects(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " sprite visible solid depth persistent parent mask " +
                    Ints(m_view, at + 4, 7));
        uint64_t events = at + 32;
        if (m_format >= 6) {
            const uint32_t vertices = m_view.U32(at + 64);
            Line(2, "physics enabled sensor shape " + Ints(m_view, at + 32, 3) + ", density " + Real(m_view.F32(at + 44)) + ", restitution " +
                        Real(m_view.F32(at + 48)) + ", group " + std::to_string(m_view.I32(at + 52)) + ", damping " +
                        Real(m_view.F32(at + 56)) + "," + Real(m_view.F32(at + 60)));
            uint64_t points = at + 68;
            if (m_format >= 9) {
                Line(2, "friction " + Real(m_view.F32(at + 68)) + ", awake kinematic " + Ints(m_view, at + 72, 2));
                points = at + 80;
            }
            m_view.Need(points, static_cast<uint64_t>(vertices) * 8);
            std::string list;
            for (uint32_t i = 0; i < vertices; ++i) {
                list += " (" + Real(m_view.F32(points + 8 * static_cast<uint64_t>(i))) + "," + Real(m_view.F32(points + 8 * static_cast<uint64_t>(i) + 4)) + ")";
            }
            Line(2, "vertices (" + std::to_string(vertices) + "):" + list);
            events = points + 8 * static_cast<uint64_t>(vertices);
        }
        const std::vector<uint32_t> types = m_view.PointerList(events);
        if (types.size() > kEventTypes) throw DumpError("object lists " + std::to_string(types.size()) + " event types");
        for (size_t type = 0; type < types.size(); ++type) {
            if (types[type] == 0) continue;
            for (uint32_t entry : m_view.PointerList(types[type])) {
                if (entry == 0) continue;
                Line(2, "event " + std::to_string(type) + ":" + std::to_string(m_view.I32(entry)));
                ActionList(3, entry + 4);
            }
        }
    });
}

void Dumper::Rooms(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " caption " + Str(m_view.U32(at + 4)) + ", size speed " +
                    Ints(m_view, at + 8, 3) + ", persistent " + std::to_string(m_view.I32(at + 20)) + ", colour " + Hex(m_view.U32(at + 24)) +
                    ", show colour " + std::to_string(m_view.I32(at + 28)) + ", views enabled " + std::to_string(m_view.I32(at + 36)));
        const uint32_t code = m_view.U32(at + 32);
        Line(2, "creation code: " + (m_bytecode ? Code(code) : Str(code)));
        Line(2, "physics " + std::to_string(m_view.I32(at + 56)) + ", gravity " + Real(m_view.F32(at + 76)) + "," + Real(m_view.F32(at + 80)) +
                    ", pixels to metres " + Real(m_view.F32(at + 84)));
        const std::vector<uint32_t> backgrounds = m_view.PointerList(m_view.U32(at + 40));
        for (size_t i = 0; i < backgrounds.size() && i < kRoomLayers; ++i) {
            if (backgrounds[i] != 0) Line(2, "background " + std::to_string(i) + ": " + Ints(m_view, backgrounds[i], 10));
        }
        const std::vector<uint32_t> views = m_view.PointerList(m_view.U32(at + 44));
        for (size_t i = 0; i < views.size() && i < kRoomLayers; ++i) {
            if (views[i] != 0) Line(2, "view " + std::to_string(i) + ": " + Ints(m_view, views[i], 14));
        }
        for (uint32_t instance : m_view.PointerList(m_view.U32(at + 48))) {
            if (instance == 0) continue;
            Line(2, "instance " + Ints(m_view, instance, 4) + ", scale " + Real(m_view.F32(instance + 20)) + "," + Real(m_view.F32(instance + 24)) +
                        ", colour " + Hex(m_view.U32(instance + 28)) + ", rotation " + Real(m_view.F32(instance + 32)));
            const uint32_t creation = m_view.U32(instance + 16);
            Line(3, "creation code: " + (m_bytecode ? Code(creation) : Str(creation)));
        }
        for (uint32_t tile : m_view.PointerList(m_view.U32(at + 52))) {
            if (tile == 0) continue;
            Line(2, "tile " + Ints(m_view, tile, 9) + ", scale " + Real(m_view.F32(tile + 36)) + "," + Real(m_view.F32(tile + 40)) + ", colour " +
                        Hex(m_view.U32(tile + 44)));
        }
    });
}

void Dumper::PageEntries(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        std::string fields;
        for (int i = 0; i < 11; ++i) fields += " " + std::to_string(m_view.I16(at + 2 * static_cast<uint64_t>(i)));
        Line(1, "[" + std::to_string(index) + "]" + fields);
    });
}

namespace {

constexpr uint32_t kOperandFlag = 0x40000000u;

uint32_t OperandBytes(uint32_t type)
{
    switch (type) {
    case 0:
    case 3: return 8;
    case 1:
    case 2:
    case 4:
    case 5:
    case 6: return 4;
    default: return 0;
    }
}

// Opcodes whose word names two types (the right operand's, then the left's).
bool HasTwoTypes(uint8_t opcode) { return (opcode >= 3 && opcode <= 22 && opcode != 13 && opcode != 14) || opcode == 65; }
bool IsBranch(uint8_t opcode) { return opcode == 183 || opcode == 184 || opcode == 185 || opcode == 187 || opcode == 188; }

// A variable reference: where its instance comes from, the name, and
// whether an index was taken from the stack.
std::string VariableTarget(uint32_t word, uint32_t reference, const std::string& name)
{
    std::string selector = "stack";
    if (reference & (1u << 29)) {
        const int32_t immediate = static_cast<int16_t>(word & 0xFFFF);
        selector = std::to_string(reference & (1u << 30) ? immediate + 100000 : immediate);
    }
    return selector + "." + name + (reference & (1u << 31) ? "" : "[]");
}

}  // namespace

std::string Dumper::Instruction(uint32_t at, uint32_t offset, uint32_t word, uint64_t operand) const
{
    const uint8_t opcode = static_cast<uint8_t>(word >> 24);
    const auto t = static_cast<VMDataType>((word >> 16) & 15), u = static_cast<VMDataType>((word >> 20) & 15);
    std::string text = VM_OpcodeMnemonic(opcode);
    if (IsBranch(opcode)) {
        const int32_t words = static_cast<int32_t>(word << 8) >> 8;
        return text + " " + std::to_string(int64_t{offset} + 4 * int64_t{words});
    }
    if (opcode == 158) return text;  // exit
    text += VM_TypeSuffix(t);
    if (HasTwoTypes(opcode)) text += VM_TypeSuffix(u);
    const auto named = m_boundNames.find(at);
    const std::string name = named != m_boundNames.end() ? named->second : "?";
    if ((word & kOperandFlag) == 0 || OperandBytes(t) == 0) {
        const bool immediate = opcode == 130 || opcode == 255 || (opcode == 192 && t == 15);
        return immediate ? text + " " + std::to_string(static_cast<int16_t>(word & 0xFFFF)) : text;
    }
    const uint32_t low = static_cast<uint32_t>(operand);
    if (opcode == 218) return text + " " + std::to_string(word & 0xFFFF) + " " + name;
    if (t == kTypeVariable && (opcode == 192 || opcode == 65)) return text + " " + VariableTarget(word, low, name);
    if (t == kTypeString) {
        return text + " #" + std::to_string(low) + (low < m_strings.size() ? " " + Escaped(m_strings[low]) : " (no string)");
    }
    if (t == 0) {
        double real = 0;
        std::memcpy(&real, &operand, sizeof real);
        char number[32];
        std::snprintf(number, sizeof number, "%.17g", real);
        return text + " " + number;
    }
    if (t == 3) return text + " " + std::to_string(static_cast<int64_t>(operand));
    return text + " " + std::to_string(static_cast<int32_t>(low));
}

void Dumper::CodeEntries(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t length = m_view.U32(at + 4);
        Line(1, "[" + std::to_string(index) + "] " + Str(m_view.U32(at)) + " " + std::to_string(length) + " bytes");
        if (length % 4 != 0) throw DumpError("code entry of " + std::to_string(length) + " bytes");
        const uint64_t code = at + 8;
        m_view.Need(code, length);
        for (uint32_t offset = 0; offset < length;) {
            const uint32_t word = m_view.U32(code + offset);
            const uint32_t operandBytes = (word & kOperandFlag) != 0 ? OperandBytes((word >> 16) & 15) : 0;
            if (operandBytes > length - offset - 4) throw DumpError("instruction at " + std::to_string(code + offset) + " runs past its entry");
            const uint64_t operand = operandBytes == 0 ? 0 : operandBytes == 4 ? m_view.U32(code + offset + 4) : m_view.U64(code + offset + 4);
            Line(2, std::to_string(offset) + ": " + Instruction(static_cast<uint32_t>(code + offset), offset, word, operand));
            offset += 4 + operandBytes;
        }
    });
}

// Binds every occurrence of a VARI or FUNC record to its name, so that the
// code shows names. A chain that leaves the file or meets itself is
// malformed.
void Dumper::FollowChains(const ChunkInfo& chunk, bool variables)
{
    if (chunk.length % 12 != 0) throw DumpError(chunk.tag + " is not a whole number of 12-byte records");
    for (uint64_t record = chunk.payload; record < uint64_t{chunk.payload} + chunk.length; record += 12) {
        const std::string name = Str(m_view.U32(record));
        const uint32_t count = m_view.U32(record + 4);
        int64_t occurrence = m_view.U32(record + 8);
        for (uint32_t i = 0; i < count; ++i) {
            if (occurrence < 0) throw DumpError(chunk.tag + " chain of " + name + " leaves the file");
            const uint32_t reference = m_view.U32(static_cast<uint64_t>(occurrence) + 4);
            if (!m_boundNames.emplace(static_cast<uint32_t>(occurrence), name).second) {
                throw DumpError(chunk.tag + " chain of " + name + " meets another at " + std::to_string(occurrence));
            }
            const uint32_t raw = reference & 0x1FFFFFFFu;
            occurrence += variables ? ((raw & 0x10000000u) != 0 ? int64_t{raw} - 0x20000000 : int64_t{raw}) : int64_t{reference};
        }
    }
}

void Dumper::Bindings(const ChunkInfo& chunk)
{
    for (uint64_t record = chunk.payload; record + 12 <= uint64_t{chunk.payload} + chunk.length; record += 12) {
        Line(1, Str(m_view.U32(record)) + " " + std::to_string(m_view.U32(record + 4)) + " uses, first at " + std::to_string(m_view.U32(record + 8)));
    }
}

void Dumper::Strings(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) { Line(1, "[" + std::to_string(index) + "] " + Str(at + 4)); });
}

void Dumper::Textures(const ChunkInfo& chunk)
{
    Records(chunk, [&](uint32_t at, size_t index) {
        const uint32_t data = m_view.U32(at + 4);
        static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::string image = "data at " + std::to_string(data);
        if (data != 0 && m_view.Size() - std::min<size_t>(data, m_view.Size()) >= 24 &&
            std::memcmp(m_view.Bytes(data, 8).data(), kPngSignature, 8) == 0) {
            const auto bigEndian = [&](uint64_t offset) {
                const std::span<const uint8_t> b = m_view.Bytes(offset, 4);
                return (static_cast<uint32_t>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
            };
            image = "PNG " + std::to_string(bigEndian(data + 16)) + "x" + std::to_string(bigEndian(data + 20));
        }
        Line(1, "[" + std::to_string(index) + "] flags " + std::to_string(m_view.U32(at)) + ", " + image);
    });
}

std::string Dumper::Run()
{
    const std::vector<ChunkInfo> chunks = m_view.Chunks();
    for (const ChunkInfo& chunk : chunks) {
        if (chunk.tag == "CODE") m_bytecode = true;
        if (chunk.tag == "DBGI") m_debugFile = true;
        if (chunk.tag == "VARI" || chunk.tag == "FUNC") FollowChains(chunk, chunk.tag == "VARI");
        if (chunk.tag == "STRG" && chunk.length >= 4) {
            for (uint32_t entry : m_view.PointerList(chunk.payload)) m_strings.push_back(entry != 0 ? m_view.String(entry + 4).value_or("") : "");
        }
        if ((chunk.tag == "GEN8" || chunk.tag == "GEN7" || chunk.tag == "GENL") && chunk.length > 1) m_format = m_view.U8(chunk.payload + 1);
        if (chunk.tag == "TPAG" && chunk.length >= 4) {
            const std::vector<uint32_t> entries = m_view.PointerList(chunk.payload);
            for (size_t i = 0; i < entries.size(); ++i) m_pageEntries.emplace(entries[i], i);
        }
    }
    using Reader = void (Dumper::*)(const ChunkInfo&);
    const std::map<std::string, Reader> readers = {
        {"GEN8", &Dumper::General}, {"GEN7", &Dumper::General},  {"GENL", &Dumper::General},  {"OPTN", &Dumper::Options},
        {"EXTN", &Dumper::Extensions}, {"SOND", &Dumper::Sounds}, {"AUDO", &Dumper::Audio},   {"SPRT", &Dumper::Sprites},
        {"BGND", &Dumper::Backgrounds}, {"PATH", &Dumper::Paths}, {"SCPT", &Dumper::Scripts}, {"SHDR", &Dumper::Shaders},
        {"FONT", &Dumper::Fonts},     {"TMLN", &Dumper::Timelines}, {"OBJT", &Dumper::Objects}, {"ROOM", &Dumper::Rooms},
        {"TPAG", &Dumper::PageEntries}, {"STRG", &Dumper::Strings}, {"TXTR", &Dumper::Textures},
        {"CODE", &Dumper::CodeEntries}, {"VARI", &Dumper::Bindings},   {"FUNC", &Dumper::Bindings},
        {"DBGI", &Dumper::DebugTables}};
    Line(0, "FORM " + std::to_string(m_view.Size()) + " bytes, " + std::to_string(chunks.size()) + " chunks");
    for (const ChunkInfo& chunk : chunks) {
        Line(0, Escaped(chunk.tag) + " at " + std::to_string(chunk.payload - 8) + ", " + std::to_string(chunk.length) + " bytes");
        if (chunk.length == 0) continue;
        const auto reader = readers.find(chunk.tag);
        if (reader != readers.end()) {
            (this->*reader->second)(chunk);
        } else if (chunk.length >= 4 && chunk.tag != "HELP") {
            Line(1, std::to_string(m_view.U32(chunk.payload)) + " entries");
        }
    }
    return m_out;
}

}  // namespace

std::string Package_Dump(std::span<const uint8_t> package) { return Dumper(package).Run(); }

}  // namespace bw::pack
