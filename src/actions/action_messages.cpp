// Actions of messages, the game information, videos, and resources replaced
// from files.
#include "actions/action_groups.h"

#include <array>
#include <cstdio>

#include "actions/action_helpers.h"
#include "audio/legacy_sounds.h"
#include "platform/files.h"
#include "resources/background.h"
#include "resources/sprite.h"
#include "script/arguments.h"
#include "script/error_report.h"
#include "world/input.h"

namespace bw {

namespace {

using namespace actions;

constexpr char kShowVideo[] = "show_video";

BW_SELF_BUILTIN(ActionMessage)
{
    if (Arg_IsReal(args[0])) {
        std::array<char, 64> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%e", args[0].real);
        Value text;
        Value_SetString(text, buffer.data());
        Forward("show_message", self, {text});
        Value_Free(text);
    } else {
        Forward("show_message", self, {args[0]});
    }
    IO_Clear();
    Value_SetReal(*result, 1.0);
}

BW_BUILTIN(ActionShowInfo)
{
    IO_Clear();
}

// Replacing needs the resource and the file; the new image or sound keeps
// the resource's other settings.
bool CanReplace(bool exists, const char* file)
{
    if (!exists) {
        Code_Error_Runtime("Trying to replace non-existing resource.", false);
        return false;
    }
    if (!FileExists(file)) {
        Code_Error_Runtime("File does not exist.", false);
        return false;
    }
    return true;
}

BW_BUILTIN(ActionReplaceSprite)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CSprite* sprite = Sprite_Get(index);
    if (CanReplace(sprite != nullptr, file)) {
        Sprite_Replace(index, file, Arg_Round(args[2]), sprite->precise, sprite->transparent, sprite->smooth,
                       sprite->preload, sprite->xorigin, sprite->yorigin);
    }
}

BW_BUILTIN(ActionReplaceSound)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CSound* sound = Sound_Get(index);
    if (CanReplace(sound != nullptr, file)) {
        Sound_Replace(index, file, sound->kind, sound->preload);
    }
}

BW_BUILTIN(ActionReplaceBackground)
{
    const int32_t index = Arg_Round(args[0]);
    const char* file = Arg_TextOrEmpty(args[1]);
    const CBackground* background = Background_Get(index);
    if (CanReplace(background != nullptr, file)) {
        Background_Replace(index, file, background->GetTransparent(), background->GetSmooth(),
                           background->GetPreload());
    }
}

}  // namespace

void ActionMessages_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_message", &ActionMessage, 1},
        {"action_show_info", &ActionShowInfo, 0},
        {"action_show_video", &ActionAs<kShowVideo>, 3},
        {"action_replace_sprite", &ActionReplaceSprite, 3},
        {"action_replace_sound", &ActionReplaceSound, 2},
        {"action_replace_background", &ActionReplaceBackground, 2},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
