// Sound and CD actions: in the new audio system sounds and music are
// told apart by the sound's type; otherwise the legacy sounds play.
#include "actions/action_groups.h"

#include "actions/action_helpers.h"
#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/cd_audio.h"
#include "script/arguments.h"
#include "script/error_report.h"

namespace bw {

namespace {

using namespace actions;

BW_SELF_BUILTIN(ActionSound)
{
    const int32_t sound = Arg_Round(args[0]);
    if (Audio_System()) {
        const AudioSound* record = Audio_GetSound(sound);
        if (record != nullptr && record->streamed) {
            Audio_PlayMusic(sound, Arg_Flag(args[1]));
        } else {
            constexpr double kPriority = 1.0;
            Forward("audio_play_sound", self, {args[0], Real(kPriority), Real(Arg_Flag(args[1]) ? 1.0 : 0.0)});
        }
        return;
    }
    if (!Ask("sound_exists", self, {args[0]})) {
        Code_Error_Runtime("Trying to play non-existing sound.", false);
        return;
    }
    Forward(Arg_Flag(args[1]) ? "sound_loop" : "sound_play", self, {args[0]});
}

BW_SELF_BUILTIN(ActionEndSound)
{
    const int32_t sound = Arg_Round(args[0]);
    if (Audio_System()) {
        const AudioSound* record = Audio_GetSound(sound);
        if (record != nullptr && record->streamed) {
            Forward("audio_stop_music", self, {});
        } else {
            Forward("audio_stop_sound", self, {args[0]});
        }
        return;
    }
    if (!Ask("sound_exists", self, {args[0]})) {
        Code_Error_Runtime("Trying to stop non-existing sound.", false);
        return;
    }
    Forward("sound_stop", self, {args[0]});
}

BW_BUILTIN(ActionCdPlay)
{
    CD_Play(Arg_Round(args[0]), Arg_Round(args[1]));
}

}  // namespace

void ActionSound_Register()
{
    static const BuiltinRegistration kTable[] = {
        {"action_sound", &ActionSound, 2},
        {"action_end_sound", &ActionEndSound, 1},
        {"action_cd_play", &ActionCdPlay, 2},
        {"action_cd_stop", &ActionRun<&CD_Stop>, 0},
        {"action_cd_pause", &ActionRun<&CD_Pause>, 0},
        {"action_cd_resume", &ActionRun<&CD_Resume>, 0},
        {"action_cd_present", &ActionAskBool<&CD_Present>, 0},
        {"action_cd_playing", &ActionAskBool<&CD_Playing>, 0},
    };
    Builtins_Register(kTable);
}

}  // namespace bw
