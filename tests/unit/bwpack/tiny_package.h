// What the package tests share: the tiny project, chunks by tag, goldens
// and the corrupt-word sweep of the dump.
#pragma once

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bwpack/dump.h"
#include "bwpack/package_view.h"

namespace bw::test {

inline const std::string kTinyProject = std::string(BWPACK_TEST_PACKAGES) + "/tiny";

inline std::map<std::string, pack::ChunkInfo> ChunksByTag(const pack::PackageView& view)
{
    std::map<std::string, pack::ChunkInfo> chunks;
    for (const pack::ChunkInfo& chunk : view.Chunks()) chunks.emplace(chunk.tag, chunk);
    return chunks;
}

// The golden file's text; empty when it is missing.
inline std::string Golden(const std::string& name)
{
    std::ifstream in(std::string(BWPACK_TEST_GOLDEN) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Each word in [from, to) in turn made into each value: the dump copes or
// reports, and the sanitizers watch its reads.
inline void DumpWithEachWordCorrupted(const std::vector<uint8_t>& original, size_t from, size_t to,
                                      std::initializer_list<uint32_t> values)
{
    for (size_t at = from; at + 4 <= to; at += 4) {
        for (uint32_t value : values) {
            std::vector<uint8_t> package = original;
            for (int i = 0; i < 4; ++i) package[at + i] = static_cast<uint8_t>(value >> (8 * i));
            try {
                pack::Package_Dump(package);
            } catch (const pack::DumpError&) {
            }
        }
    }
}

}  // namespace bw::test
