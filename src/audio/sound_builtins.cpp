#include "audio/sound_builtins.h"

#include "audio/audio_sounds.h"
#include "audio/cd_audio.h"
#include "audio/legacy_sounds.h"
#include "audio/mci.h"
#include "audio/sound_hardware.h"
#include "script/arguments.h"
#include "platform/options.h"
#include "script/error_report.h"

namespace bw {
namespace {

// The legacy built-ins do nothing in games that use the audio engine, and
// under "-noaudio".
bool LegacyOn()
{
    return !Options().newAudio && !SoundHardware_NoAudio();
}

// The sound the first argument names; null after reporting a missing one.
CSound* ArgSound(const Value* args)
{
    CSound* sound = Sound_Get(Arg_Round(args[0]));
    if (sound == nullptr) {
        Code_Error_Runtime("Sound does not exist.", false);
    }
    return sound;
}

void Play(const Value* args, bool loop)
{
    if (!LegacyOn()) {
        return;
    }
    if (CSound* sound = ArgSound(args)) {
        const int32_t voice = sound->GetVoice();
        Sound_Play(sound->fileName, voice, loop);
        Sound_SetVolume(voice, sound->volume, 1);
    }
}

// The rows whose stage (pan, effects, 3D) changes nothing: the sound is
// still prepared, as a game may rely on that.
void PrepareOnly(const Value* args, bool tested)
{
    if (tested && !LegacyOn()) {
        return;
    }
    if (CSound* sound = ArgSound(args)) {
        sound->GetVoice();
    }
}

BW_BUILTIN(SoundPlay)
{
    Play(args, false);
}

BW_BUILTIN(SoundLoop)
{
    Play(args, true);
}

BW_BUILTIN(SoundStop)
{
    if (!LegacyOn()) {
        return;
    }
    if (const CSound* sound = ArgSound(args)) {
        Sound_Stop(sound->fileName, sound->voice);
    }
}

BW_BUILTIN(SoundStopAll)
{
    if (LegacyOn()) {
        Sound_StopAll();
    }
}

BW_BUILTIN(SoundIsPlaying)
{
    if (!LegacyOn()) {
        return;
    }
    const CSound* sound = Sound_Get(Arg_Round(args[0]));
    Result_SetBool(result, sound != nullptr && Sound_IsPlaying(sound->fileName, sound->voice));
}

BW_BUILTIN(SoundVolume)
{
    if (!LegacyOn()) {
        return;
    }
    if (CSound* sound = ArgSound(args)) {
        sound->volume = args[1].real;
        Sound_SetVolume(sound->voice, sound->volume, 1);
    }
}

BW_BUILTIN(SoundFade)
{
    if (!LegacyOn()) {
        return;
    }
    if (const CSound* sound = ArgSound(args)) {
        Sound_SetVolume(sound->voice, args[1].real, Arg_Round(args[2]));
    }
}

BW_BUILTIN(SoundPrepareTested)
{
    PrepareOnly(args, true);
}

BW_BUILTIN(SoundPrepareUntested)
{
    PrepareOnly(args, false);
}

BW_BUILTIN(SoundNothing) {}

BW_BUILTIN(SoundGlobalVolume)
{
    if (LegacyOn()) {
        if (SoundHardware* hardware = SoundHardware_Get()) {
            hardware->SetMasterVolume(Arg_Single(args[0]));
        }
    }
}

BW_BUILTIN(CdInit)
{
    CD_Init();
}

BW_BUILTIN(CdPresent)
{
    Result_SetBool(result, CD_Present());
}

BW_BUILTIN(CdNumber)
{
    Value_SetReal(*result, CD_Number());
}

BW_BUILTIN(CdPlaying)
{
    Result_SetBool(result, CD_Playing());
}

BW_BUILTIN(CdPaused)
{
    Result_SetBool(result, CD_Paused());
}

BW_BUILTIN(CdTrack)
{
    Value_SetReal(*result, CD_Track());
}

BW_BUILTIN(CdLength)
{
    Value_SetReal(*result, CD_Length());
}

BW_BUILTIN(CdTrackLength)
{
    Value_SetReal(*result, CD_TrackLength(Arg_Round(args[0])));
}

BW_BUILTIN(CdPosition)
{
    Value_SetReal(*result, CD_Position());
}

BW_BUILTIN(CdTrackPosition)
{
    Value_SetReal(*result, CD_TrackPosition());
}

BW_BUILTIN(CdPlay)
{
    CD_Play(Arg_Round(args[0]), Arg_Round(args[1]));
}

BW_BUILTIN(CdStop)
{
    CD_Stop();
}

BW_BUILTIN(CdPause)
{
    CD_Pause();
}

BW_BUILTIN(CdResume)
{
    CD_Resume();
}

BW_BUILTIN(CdSetPosition)
{
    CD_SetPosition(Arg_Round(args[0]));
}

BW_BUILTIN(CdSetTrackPosition)
{
    CD_SetTrackPosition(Arg_Round(args[0]));
}

BW_BUILTIN(CdOpenDoor)
{
    CD_OpenDoor();
}

BW_BUILTIN(CdCloseDoor)
{
    CD_CloseDoor();
}

BW_BUILTIN(MciCommand)
{
    char reply[256] = {};
    MCI_SendString(Arg_TextOrEmpty(args[0]), reply, sizeof reply - 1);
    Result_SetString(result, reply);
}

// ---- the resource group's sound_ rows --------------------------------------

BW_BUILTIN(SoundGetKind)
{
    const CSound* sound = Sound_Get(Arg_Round(args[0]));
    Value_SetReal(*result, sound != nullptr ? sound->kind : -1);
}

BW_BUILTIN(SoundGetPreload)
{
    const CSound* sound = Sound_Get(Arg_Round(args[0]));
    Value_SetReal(*result, sound == nullptr ? -1.0 : sound->preload ? 1.0 : 0.0);
}

BW_BUILTIN(SoundGetName)
{
    const int32_t id = Arg_Round(args[0]);
    if (Options().newAudio) {
        const AudioSound* sound = Audio_GetSound(id);
        Result_SetString(result, sound != nullptr && sound->recordName != nullptr ? sound->recordName : "<undefined>");
    } else {
        Result_SetString(result, Sound_GetName(id));
    }
}

BW_BUILTIN(SoundDiscard)
{
    if (CSound* sound = Options().newAudio ? nullptr : Sound_Get(Arg_Round(args[0]))) {
        sound->Discard();
    }
}

BW_BUILTIN(SoundRestore)
{
    if (CSound* sound = Options().newAudio ? nullptr : Sound_Get(Arg_Round(args[0]))) {
        sound->Prepare();
    }
}

BW_BUILTIN(SoundAdd)
{
    if (!Options().newAudio) {
        Value_SetReal(*result, Sound_Add(Arg_Text(args[0]), Arg_Round(args[1]), Arg_Flag(args[2])));
    }
}

BW_BUILTIN(SoundReplace)
{
    if (Options().newAudio) {
        return;
    }
    const int32_t id = Arg_Round(args[0]);
    if (!Sound_Exists(id)) {
        Code_Error_Runtime("Trying to replace non-existing sound.", false);
        return;
    }
    Result_SetBool(result, Sound_Replace(id, Arg_Text(args[1]), Arg_Round(args[2]), Arg_Flag(args[3])));
}

BW_BUILTIN(SoundDelete)
{
    if (Options().newAudio) {
        return;
    }
    const int32_t id = Arg_Round(args[0]);
    if (!Sound_Exists(id)) {
        Code_Error_Runtime("Trying to delete non-existing sound.", false);
        return;
    }
    Result_SetBool(result, Sound_Delete(id));
}

constexpr BuiltinRegistration kLegacySoundBuiltins[] = {
    {"sound_play", SoundPlay, 1},
    {"sound_loop", SoundLoop, 1},
    {"sound_stop", SoundStop, 1},
    {"sound_stop_all", SoundStopAll, 0},
    {"sound_isplaying", SoundIsPlaying, 1},
    {"sound_volume", SoundVolume, 2},
    {"sound_fade", SoundFade, 3},
    {"sound_pan", SoundPrepareTested, 2},
    {"sound_background_tempo", SoundNothing, 1},
    {"sound_global_volume", SoundGlobalVolume, 1},
    {"sound_set_search_directory", SoundNothing, 1},
    {"sound_effect_set", SoundPrepareTested, 2},
    {"sound_effect_chorus", SoundPrepareTested, 8},
    {"sound_effect_compressor", SoundPrepareTested, 7},
    {"sound_effect_echo", SoundPrepareTested, 6},
    {"sound_effect_flanger", SoundPrepareTested, 8},
    {"sound_effect_gargle", SoundPrepareTested, 3},
    {"sound_effect_equalizer", SoundPrepareTested, 4},
    {"sound_effect_reverb", SoundPrepareTested, 5},
    {"sound_3d_set_sound_position", SoundPrepareTested, 4},
    {"sound_3d_set_sound_velocity", SoundPrepareUntested, 4},
    {"sound_3d_set_sound_distance", SoundPrepareUntested, 3},
    {"sound_3d_set_sound_cone", SoundPrepareUntested, 7},
    {"cd_init", CdInit, 0},
    {"cd_present", CdPresent, 0},
    {"cd_number", CdNumber, 0},
    {"cd_playing", CdPlaying, 0},
    {"cd_paused", CdPaused, 0},
    {"cd_track", CdTrack, 0},
    {"cd_length", CdLength, 0},
    {"cd_track_length", CdTrackLength, 1},
    {"cd_position", CdPosition, 0},
    {"cd_track_position", CdTrackPosition, 0},
    {"cd_play", CdPlay, 2},
    {"cd_stop", CdStop, 0},
    {"cd_pause", CdPause, 0},
    {"cd_resume", CdResume, 0},
    {"cd_set_position", CdSetPosition, 1},
    {"cd_set_track_position", CdSetTrackPosition, 1},
    {"cd_open_door", CdOpenDoor, 0},
    {"cd_close_door", CdCloseDoor, 0},
    {"MCI_command", MciCommand, 1},
};

constexpr BuiltinRegistration kLegacySoundResourceBuiltins[] = {
    {"sound_get_name", SoundGetName, 1},
    {"sound_get_kind", SoundGetKind, 1},
    {"sound_get_preload", SoundGetPreload, 1},
    {"sound_discard", SoundDiscard, 1},
    {"sound_restore", SoundRestore, 1},
    {"sound_add", SoundAdd, 3},
    {"sound_replace", SoundReplace, 4},
    {"sound_delete", SoundDelete, 1},
};

}  // namespace

void Function_LegacySound_Register()
{
    Builtins_Register(kLegacySoundBuiltins);
}

void Function_LegacySoundResource_Register()
{
    Builtins_Register(kLegacySoundResourceBuiltins);
}

}  // namespace bw
