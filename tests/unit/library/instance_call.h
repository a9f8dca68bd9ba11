// Built-ins called as game code running for an instance calls them, with
// values that free themselves.
#pragma once

#include <vector>

#include "unit/library/library_test_support.h"
#include "unit/world/instance_ops_fixture.h"

namespace bw::test {

// The built-in of that name called for self and other; its result.
inline ScriptValue CallFor(CInstance* self, CInstance* other, const char* name, const std::vector<ScriptValue>& args)
{
    std::vector<Value> views;  // the list keeps the payloads
    for (const ScriptValue& arg : args) {
        views.push_back(arg.Get());
    }
    ScriptValue result;
    CallAs(name, self, other, views, &result.Get());
    return result;
}

}  // namespace bw::test
