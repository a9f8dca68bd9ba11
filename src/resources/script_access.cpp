#include "resources/script_access.h"

#include "resources/background.h"
#include "resources/extension.h"
#include "resources/font_table.h"
#include "resources/path.h"
#include "resources/script.h"
#include "resources/sprite.h"
#include "resources/timeline.h"
#include "script/resource_seams.h"

namespace bw {

void Resources_RegisterScriptAccess()
{
    Resource_SetNameFinder(ResourceKind::Script, &ScriptTable_Find);
    Resource_SetNameFinder(ResourceKind::TimeLine, &TimeLine_Find);
    Script_SetExecutor(&ScriptTable_Execute);
    Script_SetCodeFinder(&ScriptTable_GetCode);
    Resource_SetNameFinder(ResourceKind::Font, &Font_Find);
    Sprite_RegisterLookups();
    Background_RegisterLookups();
    Path_RegisterLookups();
    Extension_RegisterLookups();
}

}  // namespace bw
