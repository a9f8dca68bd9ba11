// Compiles the guide's BWL examples with the runner's own compiler, so that
// every example a game author copies builds as shown.
//
// Blocks fenced "bwl" must compile; "bwl script NAME" must compile and makes
// a script of that name that every example may call; "bwl error" shows a
// mistake and must NOT compile. Blocks in other languages are not code.
#pragma once

#include <string>
#include <vector>

#include "bwpack/guide/guide_text.h"

namespace bw::pack {

// One line per example that does not behave as its fence says:
// "<guideName>:<fence line>: <problem>". Empty when all do.
std::vector<std::string> Guide_CheckExamples(const std::vector<GuideCodeBlock>& blocks, const std::string& guideName);

}  // namespace bw::pack
