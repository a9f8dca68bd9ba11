// The guide's list of every built-in function, by the group that registers
// it, and of every built-in variable, rendered from the runner's own tables
// so that the guide names exactly what the compiler accepts.
#pragma once

#include <string>

namespace bw::pack {

// Registers the built-in functions and variables, renders them as Markdown
// and empties both tables again; the function table must be empty before.
std::string Guide_BuiltinList();

}  // namespace bw::pack
