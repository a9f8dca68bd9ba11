// The names of events as run-time error reports and code-unit names show
// them ("Keyboard Event for <Left> Key", "Object.player.Step.0").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bw {

// The long name of error reports.
std::string Event_Name(int32_t type, int32_t number);
// The short name in code-unit names.
std::string Event_ShortName(int32_t type, int32_t number);

// Gives the name of the object of an index. The runner reads its object
// table (Object_Name); a package builder, which has no such table, reads its
// project, so that a bytecode package names its code as the runner names the
// same code compiled from text.
using ObjectNamer = std::function<std::string(int32_t index)>;
std::string Event_ShortName(int32_t type, int32_t number, const ObjectNamer& objectName);
// The name an action's code is compiled under, "Object.<object>.<short
// name>.<action>", with owner the current event object (the timeline's index
// for a moment). The compiler then turns its blanks into '_'.
std::string Event_ActionUnitName(int32_t owner, int32_t type, int32_t number, int32_t action,
                                 const ObjectNamer& objectName);
// "Begin" and "End" for steps 1 and 2, else "".
const char* Event_StepSubName(int32_t number);
std::string Event_KeyName(int32_t key);
const char* Event_MouseName(int32_t number);
const char* Event_OtherName(int32_t number);
const char* Event_AsyncName(int32_t number);

}  // namespace bw
