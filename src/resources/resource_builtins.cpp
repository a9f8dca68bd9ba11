#include "resources/resource_builtins.h"

#include "platform/package_loader.h"

namespace bw {

void Function_Resource_Register()
{
    const bool newForms = Package().codeVersion >= kCodeVersionGen8;
    Builtins_Register(ResourceBuiltins_Sprites(newForms));
    Builtins_Register(ResourceBuiltins_Backgrounds(newForms));
    Builtins_Register(ResourceBuiltins_Fonts());
    Builtins_Register(ResourceBuiltins_Paths());
    Builtins_Register(ResourceBuiltins_Scripts());
    Builtins_Register(ResourceBuiltins_Timelines());
    Builtins_Register(ResourceBuiltins_Objects());
    Builtins_Register(ResourceBuiltins_Rooms());
    Builtins_Register(ResourceBuiltins_Assets());
}

}  // namespace bw
