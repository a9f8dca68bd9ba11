// The chunks of the game's resources.
#include "bwpack/chunk_writers.h"
#include "bwpack/image.h"
#include "world/event.h"

namespace bw::pack {
namespace {

constexpr int32_t kCallCdecl = 12;
constexpr int32_t kCallStdcall = 11;
constexpr int32_t kAntialiasOn = 3;
constexpr size_t kFontCharacterTable = 256;

uint32_t Flag(bool value) { return value ? 1 : 0; }

}  // namespace

void Chunk_WriteExtensions(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("EXTN");
    Chunk_RecordList(w, context.project.extensions, [&](const Extension& extension, size_t) {
        w.Put(context.Text(extension.folder));
        w.Put(context.Text(extension.name));
        Chunk_RecordList(w, extension.files, [&](const ExtensionFile& file, size_t) {
            w.Put(context.Text(file.fileName));
            w.Put(context.Text(file.finalFunction));
            w.Put(context.Text(file.initFunction));
            w.I32(file.kind);
            Chunk_RecordList(w, file.functions, [&](const ExtensionFunction& function, size_t) {
                w.Put(context.Text(function.name));
                w.I32(function.id);
                w.I32(function.cdecl ? kCallCdecl : kCallStdcall);
                w.I32(function.resultType);
                w.Put(context.Text(function.externalName));
                w.U32(static_cast<uint32_t>(function.argumentTypes.size()));
                for (int32_t type : function.argumentTypes) w.I32(type);
            });
        });
    });
    w.EndChunk();
}

void Chunk_WriteSounds(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("SOND");
    Chunk_RecordList(w, context.project.sounds, [&](const Sound& sound, size_t index) {
        w.Put(context.Text(sound.name));
        w.I32(sound.kind);
        w.Put(context.Text(sound.extension));
        w.Put(context.Text(sound.fileName));
        w.I32(sound.effects);
        w.F32(sound.volume);
        w.F32(sound.pan);
        w.U32(Flag(sound.preload));
        w.I32(static_cast<int32_t>(index));  // every sound keeps its file in AUDO, same index
    });
    w.EndChunk();
}

void Chunk_WriteAudio(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("AUDO");
    Chunk_RecordList(w, context.project.sounds, [&](const Sound& sound, size_t) {
        w.U32(static_cast<uint32_t>(sound.data.size()));
        w.Bytes(sound.data.data(), sound.data.size());
    });
    w.EndChunk();
}

void Chunk_WriteSprites(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("SPRT");
    Chunk_RecordList(w, context.project.sprites, [&](const Sprite& sprite, size_t index) {
        w.Put(context.Text(sprite.name));
        w.I32(sprite.width);
        w.I32(sprite.height);
        // The box stands in the order left, right, bottom, top.
        w.I32(sprite.bboxLeft);
        w.I32(sprite.bboxRight);
        w.I32(sprite.bboxBottom);
        w.I32(sprite.bboxTop);
        w.U32(Flag(sprite.transparent));
        w.U32(Flag(sprite.smooth));
        w.U32(Flag(sprite.preload));
        w.I32(static_cast<int32_t>(sprite.bboxMode));
        w.U32(Flag(sprite.precise));
        w.I32(sprite.xOrigin);
        w.I32(sprite.yOrigin);
        w.U32(static_cast<uint32_t>(sprite.frames.size()));
        for (Label entry : context.spriteEntries[index]) w.Put(Word::OffsetOf(entry));
        // Every sprite carries masks, precise or not: the runner takes a
        // sprite's culling radius from the mask pass, and a sprite made
        // precise at run time can only use the masks the package gives. One
        // mask per frame, or with shared masks one holding every frame's
        // solid pixels.
        std::vector<std::vector<const Image*>> masks;
        if (sprite.separateMasks) {
            for (const Image& frame : sprite.frames) masks.push_back({&frame});
        } else {
            masks.emplace_back();
            for (const Image& frame : sprite.frames) masks.back().push_back(&frame);
        }
        w.U32(static_cast<uint32_t>(masks.size()));
        for (const auto& frames : masks) {
            const std::vector<uint8_t> bits = Image_PackMask(frames);
            w.Bytes(bits.data(), bits.size());
        }
    });
    w.EndChunk();
}

void Chunk_WriteBackgrounds(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("BGND");
    Chunk_RecordList(w, context.project.backgrounds, [&](const Background& background, size_t index) {
        w.Put(context.Text(background.name));
        w.U32(Flag(background.transparent));
        w.U32(Flag(background.smooth));
        w.U32(Flag(background.preload));
        w.Put(Word::OffsetOf(context.backgroundEntries[index]));
    });
    w.EndChunk();
}

void Chunk_WritePaths(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("PATH");
    Chunk_RecordList(w, context.project.paths, [&](const Path& path, size_t) {
        w.Put(context.Text(path.name));
        w.I32(path.smooth ? 1 : 0);
        w.U32(Flag(path.closed));
        w.I32(path.precision);
        w.U32(static_cast<uint32_t>(path.points.size()));
        for (const PathPoint& point : path.points) {
            w.F32(point.x);
            w.F32(point.y);
            w.F32(point.speed);
        }
    });
    w.EndChunk();
}

void Chunk_WriteScripts(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("SCPT");
    Chunk_RecordList(w, context.project.scripts, [&](const Script& script, size_t) {
        w.Put(context.Text(script.name));
        w.Put(context.code.Store("Script." + script.name, script.code));
    });
    w.EndChunk();
}

void Chunk_WriteShaders(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("SHDR");
    Chunk_RecordList(w, context.project.shaders, [&](const Shader& shader, size_t) {
        w.Put(context.Text(shader.name));
        for (const auto& source : shader.sources) w.Put(source ? context.Text(*source) : Word::Null());
    });
    w.EndChunk();
}

void Chunk_WriteFonts(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("FONT");
    Chunk_RecordList(w, context.project.fonts, [&](const Font& font, size_t index) {
        w.Put(context.Text(font.name));
        w.Put(context.Text(font.face));
        w.I32(font.size);
        w.U32(Flag(font.bold));
        w.U32(Flag(font.italic));
        // First character, charset 0 (left as the runner has it), antialias + 1.
        const uint32_t antialias = font.antialias ? kAntialiasOn : 0;
        w.U32((static_cast<uint32_t>(font.first) & 0xFFFF) | ((antialias + 1) << 24));
        w.I32(font.last);
        w.Put(Word::OffsetOf(context.fontEntries[index]));
        w.F32(1.0f);
        w.F32(1.0f);
        Chunk_RecordList(w, font.glyphs, [&](const FontGlyph& glyph, size_t) {
            w.U16(glyph.code);
            for (int16_t field : {glyph.x, glyph.y, glyph.width, glyph.height, glyph.shift, glyph.offset}) w.I16(field);
        });
    });
    // The chunk ends with the character of each index 0 .. 255 (sprite fonts
    // map frames through it): here the identity.
    for (size_t code = 0; code < kFontCharacterTable; ++code) w.U16(static_cast<uint16_t>(code));
    w.EndChunk();
}

void Chunk_WriteTimelines(ChunkContext& context)
{
    PackageWriter& w = context.writer;
    w.BeginChunk("TMLN");
    Chunk_RecordList(w, context.project.timelines, [&](const Timeline& timeline, size_t timelineIndex) {
        w.Put(context.Text(timeline.name));
        w.U32(static_cast<uint32_t>(timeline.moments.size()));
        const std::vector<Label> events = w.NewLabels(timeline.moments.size());
        for (size_t i = 0; i < events.size(); ++i) {
            w.I32(timeline.moments[i].step);
            w.Put(Word::OffsetOf(events[i]));
        }
        for (size_t i = 0; i < events.size(); ++i) {
            w.Bind(events[i]);
            const auto owner = static_cast<int32_t>(timelineIndex);
            const Moment& moment = timeline.moments[i];
            context.ActionList(ActionUnitName(context.project, owner, kEventTypeTimelineMoment, moment.step), moment.code);
        }
    });
    w.EndChunk();
}

void Chunk_WriteDataFiles(ChunkContext& context)
{
    // A project has no included data files; the empty list keeps the
    // package's chunk list whole.
    context.writer.BeginChunk("DAFL");
    context.writer.U32(0);
    context.writer.EndChunk();
}

}  // namespace bw::pack
