#include "bwpack/package_build.h"

#include <memory>

#include "bwpack/bytecode_storage.h"
#include "bwpack/chunk_writers.h"
#include "bwpack/texture_packer.h"

namespace bw::pack {
namespace {

// Every image of the package, in a fixed order, with the label of its texture
// page entry: sprite frames, then backgrounds, then font sheets.
struct TextureImages {
    std::vector<const Image*> images;
    std::vector<Label> entries;

    Label Add(PackageWriter& writer, const Image& image)
    {
        images.push_back(&image);
        entries.push_back(writer.NewLabel());
        return entries.back();
    }
};

TextureImages CollectImages(ChunkContext& context)
{
    TextureImages textures;
    for (const Sprite& sprite : context.project.sprites) {
        std::vector<Label>& frames = context.spriteEntries.emplace_back();
        for (const Image& frame : sprite.frames) frames.push_back(textures.Add(context.writer, frame));
    }
    for (const Background& background : context.project.backgrounds) {
        context.backgroundEntries.push_back(textures.Add(context.writer, background.image));
    }
    for (const Font& font : context.project.fonts) context.fontEntries.push_back(textures.Add(context.writer, font.sheet));
    return textures;
}

void WritePageEntries(PackageWriter& w, const TextureImages& textures, const PackedPages& packed)
{
    w.BeginChunk("TPAG");
    w.PointerList(textures.entries);
    for (size_t i = 0; i < textures.images.size(); ++i) {
        const Image& image = *textures.images[i];
        const Placement& at = packed.placements[i];
        w.Bind(textures.entries[i]);
        // Source rectangle on the page; the image is stored uncropped, so it
        // sits at 0,0 of its frame and fills it.
        for (int32_t field : {at.x, at.y, image.width, image.height, 0, 0, image.width, image.height, image.width, image.height, at.page}) {
            w.I16(static_cast<int16_t>(field));
        }
        w.Align4();
    }
    w.EndChunk();
}

void WriteTextures(PackageWriter& w, const PackedPages& packed)
{
    w.BeginChunk("TXTR");
    const std::vector<Label> records = w.NewLabels(packed.pages.size());
    const std::vector<Label> images = w.NewLabels(packed.pages.size());
    w.PointerList(records);
    for (size_t i = 0; i < records.size(); ++i) {
        w.Bind(records[i]);
        w.U32(0);  // flags
        w.Put(Word::OffsetOf(images[i]));
    }
    // The image data carries no size: the runner bounds it by the chunk.
    for (size_t i = 0; i < images.size(); ++i) {
        const std::vector<uint8_t> png = Image_EncodePng(packed.pages[i]);
        if (png.empty()) throw BuildError("texture page " + std::to_string(i) + " could not be written as PNG");
        w.Bind(images[i]);
        w.Bytes(png.data(), png.size());
        w.Align4();
    }
    w.EndChunk();
}

}  // namespace

PackageFiles Package_BuildFiles(const Project& project, PackageForm form)
{
    PackageWriter writer;
    StringTable strings(writer);
    std::unique_ptr<CodeStorage> storage;
    if (form == PackageForm::Bytecode) {
        storage = std::make_unique<BytecodeCodeStorage>(project, strings);
    } else {
        storage = std::make_unique<TextCodeStorage>(project, strings);
    }
    CodeStorage& code = *storage;
    ChunkContext context{project, writer, strings, code, {}, {}, {}};

    const TextureImages textures = CollectImages(context);
    const PackedPages packed = TexturePacker_Pack(textures.images);

    writer.Bytes("FORM", 4);
    writer.U32(0);
    Chunk_WriteGeneral(context);
    Chunk_WriteOptions(context);
    Chunk_WriteExtensions(context);
    Chunk_WriteSounds(context);
    Chunk_WriteAudio(context);
    Chunk_WriteSprites(context);
    Chunk_WriteBackgrounds(context);
    Chunk_WritePaths(context);
    Chunk_WriteScripts(context);
    Chunk_WriteShaders(context);
    Chunk_WriteFonts(context);
    Chunk_WriteTimelines(context);
    Chunk_WriteObjects(context);
    Chunk_WriteRooms(context);
    Chunk_WriteDataFiles(context);
    WritePageEntries(writer, textures, packed);
    code.WriteChunks(writer);
    strings.WriteChunk();
    WriteTextures(writer, packed);
    writer.PatchU32(4, static_cast<uint32_t>(writer.Size() - 8));
    PackageFiles files;
    files.package = writer.Finish();
    files.debug = code.DebugFile();
    return files;
}

std::vector<uint8_t> Package_Build(const Project& project, PackageForm form)
{
    return Package_BuildFiles(project, form).package;
}

}  // namespace bw::pack
