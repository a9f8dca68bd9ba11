// Compiles the guide's BWL examples with the runner's own compiler, so that
// every example a game author copies builds as shown.
//
// Each block compiles, or fails to, as its fence says (Guide_ReadFence).
#pragma once

#include <string>
#include <vector>

#include "bwpack/guide/guide_text.h"

namespace bw::pack {

// One line per example that does not behave as its fence says:
// "<guideName>:<fence line>: <problem>". Empty when all do.
std::vector<std::string> Guide_CheckExamples(const std::vector<GuideCodeBlock>& blocks, const std::string& guideName);

}  // namespace bw::pack
