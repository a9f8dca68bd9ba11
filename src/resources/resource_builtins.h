// The "Resource.." group of built-in functions: sprites, backgrounds,
// fonts, paths, scripts, timelines, objects, rooms and asset names. Each
// resource's binding file gives its piece of the table; several built-ins
// take a different argument list from code version 800 on, so the pieces
// are chosen when the group is registered, after the package header was
// read.
#pragma once

#include <span>

#include "script/arguments.h"

namespace bw {

void Function_Resource_Register();

// The pieces in registration order. newForms: the package's code version
// is 800 or later.
std::span<const BuiltinRegistration> ResourceBuiltins_Sprites(bool newForms);
std::span<const BuiltinRegistration> ResourceBuiltins_Backgrounds(bool newForms);
std::span<const BuiltinRegistration> ResourceBuiltins_Fonts();
std::span<const BuiltinRegistration> ResourceBuiltins_Paths();
std::span<const BuiltinRegistration> ResourceBuiltins_Scripts();
std::span<const BuiltinRegistration> ResourceBuiltins_Timelines();
std::span<const BuiltinRegistration> ResourceBuiltins_Objects();
std::span<const BuiltinRegistration> ResourceBuiltins_Rooms();
std::span<const BuiltinRegistration> ResourceBuiltins_Assets();

}  // namespace bw
