// The guide's list of every built-in function, by the group that registers
// it, of every built-in variable and of every built-in constant with its
// value, rendered from the runner's own tables so that the guide names
// exactly what the compiler accepts.
#pragma once

#include <string>
#include <vector>

#include "script/value.h"

namespace bw::pack {

// Registers the built-in functions and variables, renders them and the
// built-in constants as Markdown and empties both tables again; the function
// table must be empty before. The constant table is left holding the
// built-ins alone, as the runner's start-up leaves it.
std::string Guide_BuiltinList();

struct GuideConstant {
    const char* name;
    const Value* value;
};
// One bullet per name prefix (the name up to its first underscore), prefixes
// in alphabetical order after the names without one, constants in the given
// order within each. Numbers are shown in full, colours (c_) also as $BBGGRR,
// texts quoted.
std::string Guide_ConstantList(const std::vector<GuideConstant>& constants);

enum class GuideListState { Current, Stale, MissingMarkers };
// Whether the guide's generated section is what Guide_BuiltinList renders.
GuideListState Guide_CheckBuiltinList(const std::string& markdown);

}  // namespace bw::pack
