#include "world/run_hooks.h"

namespace bw {

RunHooks& Run_Hooks()
{
    static RunHooks hooks;
    return hooks;
}

}  // namespace bw
