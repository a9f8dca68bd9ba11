#include "library/save_builtins.h"

#include "library/save_game_queue.h"

namespace bw {

namespace {

constexpr double kSaveBuiltinResult = -1.0;

// The one argument, when it is a text; null otherwise.
const char* FileNameArgument(int32_t argc, const Value* args)
{
    if (argc != 1 || !Arg_IsString(args[0])) {
        return nullptr;
    }
    const char* name = Value_String(args[0]);
    return name != nullptr ? name : "";
}

bool BufferArgument(int32_t argc, const Value* args, int32_t* bufferId)
{
    if (argc != 1 || !Arg_IsReal(args[0])) {
        return false;
    }
    *bufferId = Arg_Round(args[0]);
    return true;
}

}  // namespace

BW_BUILTIN(Builtin_GameSave)
{
    Value_SetReal(*result, kSaveBuiltinResult);
    if (const char* name = FileNameArgument(argc, args)) {
        Game_Save(name);
    }
}

BW_BUILTIN(Builtin_GameLoad)
{
    Value_SetReal(*result, kSaveBuiltinResult);
    if (const char* name = FileNameArgument(argc, args)) {
        Game_Load(name);
    }
}

BW_BUILTIN(Builtin_GameSaveBuffer)
{
    Value_SetReal(*result, kSaveBuiltinResult);
    if (int32_t bufferId = 0; BufferArgument(argc, args, &bufferId)) {
        Game_SaveBuffer(bufferId);
    }
}

BW_BUILTIN(Builtin_GameLoadBuffer)
{
    Value_SetReal(*result, kSaveBuiltinResult);
    if (int32_t bufferId = 0; BufferArgument(argc, args, &bufferId)) {
        Game_QueueLoad(bufferId);
    }
}

}  // namespace bw
