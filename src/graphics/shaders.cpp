#include "graphics/shaders.h"

#include <memory>
#include <vector>

#include "platform/package_view.h"

namespace bw {

namespace {

std::vector<std::unique_ptr<ShaderRecord>> g_shaders;

// The name and eight texts of the entry at offset; false when any word or
// text lies outside the package. A zero word is a missing text.
bool ReadEntry(const PackageView& package, uint32_t offset, const char*& name,
               const char* sources[kShaderSourceCount])
{
    const char* texts[kShaderSourceCount + 1] = {};
    for (int i = 0; i <= kShaderSourceCount; ++i) {
        uint32_t textOffset = 0;
        if (!package.ReadU32(uint64_t{offset} + uint64_t(i) * 4, textOffset)) {
            return false;
        }
        if (textOffset != 0 && (texts[i] = package.String(textOffset)) == nullptr) {
            return false;
        }
    }
    name = texts[0];
    for (int i = 0; i < kShaderSourceCount; ++i) {
        sources[i] = texts[i + 1];
    }
    return true;
}

}  // namespace

ShaderRecord::ShaderRecord(const char* shaderName, const char* const shaderSources[kShaderSourceCount])
    : name(shaderName)
{
    for (int i = 0; i < kShaderSourceCount; ++i) {
        sources[i] = shaderSources[i];
    }
}

bool Shader_LoadChunk(const PackageView& package, uint32_t offset, uint32_t length)
{
    Shader_Clear();
    std::vector<uint32_t> entries;
    if (!package.ReadPointerList(offset, uint64_t{offset} + length, entries)) {
        return false;
    }
    for (uint32_t entry : entries) {
        if (entry == 0) {
            continue;
        }
        const char* name = nullptr;
        const char* sources[kShaderSourceCount] = {};
        if (!ReadEntry(package, entry, name, sources)) {
            Shader_Clear();
            return false;
        }
        Shader_Add(name, sources);
    }
    return true;
}

ShaderRecord* Shader_Add(const char* name, const char* const sources[kShaderSourceCount])
{
    g_shaders.push_back(std::make_unique<ShaderRecord>(name, sources));
    g_shaders.back()->index = static_cast<int32_t>(g_shaders.size() - 1);
    return g_shaders.back().get();
}

ShaderRecord* Shader_Get(int32_t index)
{
    return Shader_Exists(index) ? g_shaders[static_cast<size_t>(index)].get() : nullptr;
}

bool Shader_Exists(int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < g_shaders.size() && g_shaders[static_cast<size_t>(index)];
}

int32_t Shader_Count()
{
    return static_cast<int32_t>(g_shaders.size());
}

void Shader_Clear()
{
    g_shaders.clear();
}

}  // namespace bw
