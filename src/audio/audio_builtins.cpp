#include "audio/audio_builtins.h"

#include "audio/audio_emitters.h"
#include "audio/audio_engine.h"
#include "audio/audio_sounds.h"
#include "audio/legacy_sounds.h"
#include "audio/sound_builtins.h"
#include "script/arguments.h"
#include "platform/options.h"

namespace bw {
namespace {

void SetReal(Value* result, double value)
{
    Value_SetReal(*result, value);
}

BW_BUILTIN(AudioListenerPosition)
{
    Audio_SetListenerPosition(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]));
}

BW_BUILTIN(AudioListenerVelocity)
{
    Audio_SetListenerVelocity(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]));
}

BW_BUILTIN(AudioListenerOrientation)
{
    Audio_SetListenerOrientation(Arg_Single(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                 Arg_Single(args[3]), Arg_Single(args[4]), Arg_Single(args[5]));
}

BW_BUILTIN(AudioEmitterPosition)
{
    Audio_SetEmitterPosition(Arg_Round(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]));
}

BW_BUILTIN(AudioEmitterVelocity)
{
    Audio_SetEmitterVelocity(Arg_Round(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]));
}

BW_BUILTIN(AudioSystem)
{
    SetReal(result, Audio_System() ? 1.0 : 0.0);
}

BW_BUILTIN(AudioEmitterCreate)
{
    SetReal(result, Audio_CreateEmitter());
}

BW_BUILTIN(AudioEmitterFree)
{
    Audio_FreeEmitter(Arg_Round(args[0]));
}

BW_BUILTIN(AudioPlaySound)
{
    SetReal(result, Audio_PlaySoundSimple(Arg_Round(args[0]), args[1].real, Arg_Round(args[2])));
}

BW_BUILTIN(AudioPlaySoundOn)
{
    SetReal(result, Audio_PlaySound(Arg_Round(args[0]), Arg_Round(args[1]), Arg_Round(args[2]), args[3].real));
}

BW_BUILTIN(AudioPlaySoundAt)
{
    SetReal(result, Audio_PlaySoundAt(Arg_Round(args[0]), Arg_Single(args[1]), Arg_Single(args[2]),
                                      Arg_Single(args[3]), Arg_Single(args[4]), Arg_Single(args[5]),
                                      Arg_Single(args[6]), Arg_Round(args[7]), args[8].real));
}

BW_BUILTIN(AudioFalloffSetModel)
{
    Audio_SetFalloffModel(Arg_Round(args[0]));
}

BW_BUILTIN(AudioStopSound)
{
    Audio_StopSound(Arg_Round(args[0]));
}

BW_BUILTIN(AudioPauseSound)
{
    Audio_PauseSound(Arg_Round(args[0]));
}

BW_BUILTIN(AudioResumeSound)
{
    Audio_ResumeSound(Arg_Round(args[0]));
}

BW_BUILTIN(AudioPauseAll)
{
    Audio_PauseAll();
}

BW_BUILTIN(AudioResumeAll)
{
    Audio_ResumeAll();
}

BW_BUILTIN(AudioIsPlaying)
{
    Result_SetBool(result, Audio_IsPlaying(Arg_Round(args[0])));
}

BW_BUILTIN(AudioExists)
{
    Result_SetBool(result, Audio_Exists(Arg_Round(args[0])));
}

BW_BUILTIN(AudioMasterGain)
{
    Audio_SetMasterGain(args[0].real);
}

BW_BUILTIN(AudioEmitterExists)
{
    Result_SetBool(result, Audio_EmitterExists(Arg_Round(args[0])));
}

BW_BUILTIN(AudioGetType)
{
    SetReal(result, Audio_GetType(Arg_Round(args[0])));
}

BW_BUILTIN(AudioEmitterGain)
{
    Audio_SetEmitterGain(Arg_Round(args[0]), Arg_Single(args[1]));
}

BW_BUILTIN(AudioEmitterPitch)
{
    Audio_SetEmitterPitch(Arg_Round(args[0]), Arg_Single(args[1]));
}

BW_BUILTIN(AudioEmitterFalloff)
{
    Audio_SetEmitterFalloff(Arg_Round(args[0]), Arg_Single(args[1]), Arg_Single(args[2]), Arg_Single(args[3]));
}

BW_BUILTIN(AudioChannelNum)
{
    Audio_SetChannelNum(Arg_Round(args[0]));
}

BW_BUILTIN(AudioPlayMusic)
{
    Audio_PlayMusic(Arg_Round(args[0]), Arg_Round(args[1]) > 0);
}

BW_BUILTIN(AudioStopMusic)
{
    Audio_StopMusic();
}

BW_BUILTIN(AudioPauseMusic)
{
    Audio_PauseMusic();
}

BW_BUILTIN(AudioResumeMusic)
{
    Audio_ResumeMusic();
}

BW_BUILTIN(AudioMusicIsPlaying)
{
    Result_SetBool(result, Audio_MusicIsPlaying());
}

BW_BUILTIN(AudioMusicGain)
{
    Audio_SetMusicGain(Arg_Single(args[0]), Arg_Round(args[1]));
}

BW_BUILTIN(AudioSoundGain)
{
    Audio_SetSoundGain(Arg_Round(args[0]), Arg_Single(args[1]), Arg_Round(args[2]));
}

BW_BUILTIN(AudioSoundPitch)
{
    Audio_SetSoundPitch(Arg_Round(args[0]), Arg_Single(args[1]));
}

BW_BUILTIN(AudioStopAll)
{
    Audio_StopAll();
}

BW_BUILTIN(AudioSoundLength)
{
    SetReal(result, Audio_SoundLength(Arg_Round(args[0])));
}

// An index names a sound when the table of the sound system in use holds a
// record there.
BW_BUILTIN(SoundExists)
{
    const int32_t id = Arg_Round(args[0]);
    Result_SetBool(result, Options().newAudio ? Audio_GetSound(id) != nullptr : Sound_Exists(id));
}

constexpr BuiltinRegistration kAudioBuiltins[] = {
    {"audio_listener_position", AudioListenerPosition, 3},
    {"audio_listener_velocity", AudioListenerVelocity, 3},
    {"audio_listener_orientation", AudioListenerOrientation, 6},
    {"audio_emitter_position", AudioEmitterPosition, 4},
    {"audio_emitter_velocity", AudioEmitterVelocity, 4},
    {"audio_system", AudioSystem, 0},
    {"audio_emitter_create", AudioEmitterCreate, 0},
    {"audio_emitter_free", AudioEmitterFree, 1},
    {"audio_play_sound", AudioPlaySound, 3},
    {"audio_play_sound_on", AudioPlaySoundOn, 4},
    {"audio_play_sound_at", AudioPlaySoundAt, 9},
    {"audio_falloff_set_model", AudioFalloffSetModel, 1},
    {"audio_stop_sound", AudioStopSound, 1},
    {"audio_pause_sound", AudioPauseSound, 1},
    {"audio_resume_sound", AudioResumeSound, 1},
    {"audio_pause_all", AudioPauseAll, 0},
    {"audio_resume_all", AudioResumeAll, 0},
    {"audio_is_playing", AudioIsPlaying, 1},
    {"audio_exists", AudioExists, 1},
    {"audio_master_gain", AudioMasterGain, 1},
    {"audio_emitter_exists", AudioEmitterExists, 1},
    {"audio_get_type", AudioGetType, 1},
    {"audio_emitter_gain", AudioEmitterGain, 2},
    {"audio_emitter_pitch", AudioEmitterPitch, 2},
    {"audio_emitter_falloff", AudioEmitterFalloff, 4},
    {"audio_channel_num", AudioChannelNum, 1},
    {"audio_play_music", AudioPlayMusic, 2},
    {"audio_stop_music", AudioStopMusic, 0},
    {"audio_pause_music", AudioPauseMusic, 0},
    {"audio_resume_music", AudioResumeMusic, 0},
    {"audio_music_is_playing", AudioMusicIsPlaying, 0},
    {"audio_music_gain", AudioMusicGain, 2},
    {"audio_sound_gain", AudioSoundGain, 3},
    {"audio_sound_pitch", AudioSoundPitch, 2},
    {"audio_stop_all", AudioStopAll, 0},
    {"audio_sound_length", AudioSoundLength, 1},
};

constexpr BuiltinRegistration kSoundResourceBuiltins[] = {
    {"sound_exists", SoundExists, 1},
};

}  // namespace

void Function_Sound_Register()
{
    Function_LegacySound_Register();
    Builtins_Register(kAudioBuiltins);
}

void Function_SoundResource_Register()
{
    Builtins_Register(kSoundResourceBuiltins);
    Function_LegacySoundResource_Register();
}

}  // namespace bw
