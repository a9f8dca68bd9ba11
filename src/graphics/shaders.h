// Shader records of the package's SHDR chunk, kept by index for the game's
// use. Nothing here compiles or binds them; the texts stay in the package
// image and the records only point at them.
#pragma once

#include <cstdint>

namespace bw {

class PackageView;

inline constexpr int32_t kShaderSourceCount = 8;

struct ShaderRecord {
    ShaderRecord(const char* name, const char* const sources[kShaderSourceCount]);

    int32_t index = -1;  // place in the shader table
    const char* name = nullptr;
    const char* sources[kShaderSourceCount] = {};
};

// Reads the SHDR payload at [offset, offset + length): one record per
// non-empty entry, indexed in order among those. False (and no shaders)
// when an entry or one of its texts lies outside the package.
bool Shader_LoadChunk(const PackageView& package, uint32_t offset, uint32_t length);
ShaderRecord* Shader_Add(const char* name, const char* const sources[kShaderSourceCount]);
ShaderRecord* Shader_Get(int32_t index);
bool Shader_Exists(int32_t index);
int32_t Shader_Count();
void Shader_Clear();

}  // namespace bw
