// `bwpack --dump`: what a package holds, chunk by chunk, as text. Every
// record is decoded field by field with its references resolved (strings
// quoted, texture page entries by number), so a test can hold the whole
// layout of a package against a golden text.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bw::pack {

// Throws DumpError (package_view.h) when the package is malformed.
std::string Package_Dump(std::span<const uint8_t> package);

}  // namespace bw::pack
