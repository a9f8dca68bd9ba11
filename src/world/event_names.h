// The names of events as run-time error reports and code-unit names show
// them ("Keyboard Event for <Left> Key", "Object.player.Step.0").
#pragma once

#include <cstdint>
#include <string>

namespace bw {

// The long name of error reports.
std::string Event_Name(int32_t type, int32_t number);
// The short name in code-unit names.
std::string Event_ShortName(int32_t type, int32_t number);
// "Begin" and "End" for steps 1 and 2, else "".
const char* Event_StepSubName(int32_t number);
std::string Event_KeyName(int32_t key);
const char* Event_MouseName(int32_t number);
const char* Event_OtherName(int32_t number);
const char* Event_AsyncName(int32_t number);

}  // namespace bw
