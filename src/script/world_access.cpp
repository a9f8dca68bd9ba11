#include "script/world_access.h"

namespace bw {

WorldAccess& Code_WorldAccess()
{
    static WorldAccess access;
    return access;
}

}  // namespace bw
