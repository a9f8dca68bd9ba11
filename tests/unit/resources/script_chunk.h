// SCPT payloads of scripts in text form, for the tests that need scripts.
#pragma once

#include <initializer_list>

#include "chunk_image.h"
#include "resources/script.h"

namespace bw::test {

struct ScriptSource {
    const char* name;  // null: an empty slot
    const char* text;
};

// A SCPT payload (at offset 4 of the image, running to its end) with one
// record per script, in text form.
inline ChunkImage ScriptChunk(std::initializer_list<ScriptSource> scripts)
{
    ChunkImage image;
    const uint32_t list = image.List(static_cast<uint32_t>(scripts.size()));
    uint32_t index = 0;
    for (const ScriptSource& script : scripts) {
        if (script.name != nullptr) {
            const uint32_t name = image.Text(script.name);
            const uint32_t text = image.Text(script.text);
            image.Slot(list, index);
            image.U32(name);
            image.U32(text);
        }
        ++index;
    }
    return image;
}

inline bool LoadScripts(const ChunkImage& image)
{
    return Script_Load(image.View(), 4, image.Size() - 4);
}

}  // namespace bw::test
