// Drives the compiler's front end (lexer, name resolution, parser, folding)
// over arbitrary text, as a program and as an expression. Game code arrives
// as text from packages and from execute_string at run time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/code_unit.h"
#include "script/constants.h"
#include "script/function_table.h"
#include "script/error_report.h"
#include "world/builtin_variables.h"
#include "world/script_access.h"

namespace {

void Nothing(bw::Value*, bw::CInstance*, bw::CInstance*, int32_t, bw::Value*) {}

bool Initialise()
{
    bw::Variable_Init();
    bw::World_RegisterScriptAccess();
    bw::Code_Constant_Init();
    bw::Code_Function_Register("f0", &Nothing, 0);
    bw::Code_Function_Register("f2", &Nothing, 2);
    bw::Code_Function_Register("fany", &Nothing, bw::kBuiltinArgCountAny);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool initialised = Initialise();
    (void)initialised;
    const std::string text(reinterpret_cast<const char*>(data), size);
    // String repetition folds at compile time; a handful of them, each below
    // the operators' ceiling, keeps a single input within the memory limit.
    if (std::count(text.begin(), text.end(), '*') > 4) {
        return 0;
    }
    for (const bool expression : {false, true}) {
        bw::CCode code(text.c_str(), expression);
        code.Compile("Fuzz");
        bw::Code_Error_ClearPending();
    }
    return 0;
}
