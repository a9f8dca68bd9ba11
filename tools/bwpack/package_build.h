// Turns a loaded project into the bytes of a package.
//
// Chunk order (each reader of the runner relies on those before it):
// GEN8 first (the header and room order); OPTN before SOND and AUDO (the
// options choose the sound reader); EXTN and SCPT before FUNC (function
// names bind to scripts and extension functions); BGND before ROOM (a
// stretched room background reads its background's size); TPAG before TXTR
// (loading the textures renumbers the page entries); then the code chunks of
// the bytecode form, the strings and the textures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bwpack/code_storage.h"
#include "bwpack/project.h"

namespace bw::pack {

enum class PackageForm { Text, Bytecode };

// The header format number written: the newest whose fields do not overlap
// (every optional header field, physics blocks, the room order at 124).
constexpr uint8_t kHeaderFormat = 13;

struct PackageFiles {
    std::vector<uint8_t> package;
    // The debug file that goes beside the package (bytecode form only;
    // empty for the text form, whose runner compiles the texts itself).
    std::vector<uint8_t> debug;
};

PackageFiles Package_BuildFiles(const Project& project, PackageForm form);
// The package alone.
std::vector<uint8_t> Package_Build(const Project& project, PackageForm form);

}  // namespace bw::pack
