// Functions of outside libraries that game code calls. external_define and
// the extension packages bind a library's export to a small id; a call turns
// script values into a native call (reals as doubles, strings as pointers
// to their UTF-8 text) and the native result back into a value. Ids are
// handed out in definition order from 0 and never reused.
#pragma once

#include <cstdint>

#include "script/value.h"

namespace bw {

inline constexpr int32_t kExternalMaxArguments = 16;
// Beyond this many arguments every argument must be a real.
inline constexpr int32_t kExternalMaxStringArguments = 4;

enum ExternalKind : int32_t {
    kExternalReal = 0,
    kExternalString = 1,
};

// Both conventions of the packages are kept with each function; on this
// platform they are the one calling convention of the system.
enum ExternalCallType : int32_t {
    kExternalCdecl = 0,
    kExternalStdcall = 1,
};

// Binds the export function of library dll. The library is looked for in the
// save area, then the program area, then at the name as given; a name ending
// ".dll" is then tried as ".so" and as "lib<name>.so" the same way. A library
// already loaded from the same path is shared. argKinds holds argc
// ExternalKinds. The id, or -1 (nothing reported) for a count outside 0..16,
// a string argument among more than four, a library that does not load
// (logged with the loader's reason) or a missing export.
int32_t External_Define(const char* dll, const char* function, int32_t callType, int32_t argc,
                        const int32_t* argKinds, int32_t resultKind);

// Calls function id with argc values. The result is always written: real 0
// when the id is unknown, argc is not the defined count, the library was
// released or calls are switched off; else the function's result (a string
// result is copied at once, since libraries return their own buffers).
void External_Call(int32_t id, int32_t argc, const Value* args, Value* result);

// Releases the definitions that dll names, either as they were defined with
// it or as the path their library was loaded from; the library unloads once
// no definition holds it. They stay defined and return 0 (a definition
// made later loads the library again where it was unloaded).
void External_Free(const char* dll);
// Releases every library still loaded.
void External_FreeAll();
// Deletes every definition (the table starts again at id 0).
void External_Clear();

int32_t External_Count();

// "-ext": functions are defined as usual but no call reaches a library.
void External_SetCallsDisabled(bool disabled);

}  // namespace bw
