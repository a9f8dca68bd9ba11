// The writers of the single chunks, shared by package_build.cpp. Each writes
// one whole chunk at the writer's end; references to strings, code and
// texture page entries go through the context.
#pragma once

#include <string>
#include <vector>

#include "bwpack/code_storage.h"
#include "bwpack/package_writer.h"
#include "bwpack/project.h"

namespace bw::pack {

struct ChunkContext {
    const Project& project;
    PackageWriter& writer;
    StringTable& strings;
    CodeStorage& code;
    // Texture page entry labels: the frames of sprite i start at
    // spriteEntries[i]; backgrounds and fonts have one each.
    std::vector<std::vector<Label>> spriteEntries;
    std::vector<Label> backgroundEntries;
    std::vector<Label> fontEntries;

    Word Text(const std::string& text) { return strings.Ref(text); }
    // Empty text is "none" where a record allows it.
    Word TextOrNull(const std::string& text) { return text.empty() ? Word::Null() : strings.Ref(text); }
    // An action list of one action whose record holds the code word.
    void ActionList(const std::string& unitName, const CodeText& code);
};

// The usual chunk body: a pointer list of records, each written by
// writeOne(item, index) right after the list, every record 4-aligned.
template <typename Items, typename WriteOne>
void Chunk_RecordList(PackageWriter& writer, const Items& items, WriteOne writeOne)
{
    const std::vector<Label> labels = writer.NewLabels(items.size());
    writer.PointerList(labels);
    for (size_t i = 0; i < items.size(); ++i) {
        writer.Bind(labels[i]);
        writeOne(items[i], i);
        writer.Align4();
    }
}

void Chunk_WriteGeneral(ChunkContext& context);
void Chunk_WriteOptions(ChunkContext& context);
void Chunk_WriteExtensions(ChunkContext& context);
void Chunk_WriteSounds(ChunkContext& context);
void Chunk_WriteAudio(ChunkContext& context);
void Chunk_WriteSprites(ChunkContext& context);
void Chunk_WriteBackgrounds(ChunkContext& context);
void Chunk_WritePaths(ChunkContext& context);
void Chunk_WriteScripts(ChunkContext& context);
void Chunk_WriteShaders(ChunkContext& context);
void Chunk_WriteFonts(ChunkContext& context);
void Chunk_WriteTimelines(ChunkContext& context);
void Chunk_WriteObjects(ChunkContext& context);
void Chunk_WriteRooms(ChunkContext& context);
void Chunk_WriteDataFiles(ChunkContext& context);

}  // namespace bw::pack
