// The one piece of music that plays at a time: an Ogg Vorbis file beside the
// package with the music's name, streamed through two buffers, or else the
// named file handed to the media player as MCI command strings (mci.h).
#pragma once

#include <cstdint>

namespace bw {

class IniFile;

// The package loader hands over "options.ini"; the player reads nothing
// from it.
void MP3_Init(IniFile& ini);

// Stops what plays and starts file (a name in the game's folder, or a full
// path). Failures are logged and leave the music silent.
void MP3_Open(const char* file, bool loop);
void MP3_Stop();
void MP3_Pause();
void MP3_Resume();
void MP3_SetVolume(float volume);
bool MP3_IsActive();
// True while the Ogg stream is active (paused too), or while the media
// player says "playing".
bool MP3_IsPlaying();
// Every frame: keeps the stream's queue full and closes a finished stream.
void MP3_Update();
// Deletes the stream's OpenAL objects (before the device closes).
void MP3_ReleaseStream();
// Stops the media player's music and closes its devices.
void MP3_Quit();

// For tests: the alias number of the media player's open device (0 when
// none is open), and the buffers queued on the Ogg stream's source (0 when
// no stream is active).
int32_t MP3_AliasNumber();
int32_t MP3_StreamQueuedBuffers();

}  // namespace bw
