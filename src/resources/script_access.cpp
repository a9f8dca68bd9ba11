#include "resources/script_access.h"

#include "resources/script.h"
#include "resources/timeline.h"
#include "script/resource_seams.h"

namespace bw {

void Resources_RegisterScriptAccess()
{
    Resource_SetNameFinder(ResourceKind::Script, &ScriptTable_Find);
    Resource_SetNameFinder(ResourceKind::TimeLine, &TimeLine_Find);
    Script_SetExecutor(&ScriptTable_Execute);
    Script_SetCodeFinder(&ScriptTable_GetCode);
}

}  // namespace bw
