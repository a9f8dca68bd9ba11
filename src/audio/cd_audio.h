// Audio CDs, driven through the "cdaudio" MCI device (mci.h). Nothing is
// kept between calls: every operation asks the device again.
#pragma once

#include <cstdint>

namespace bw {

void CD_Init();
bool CD_Present();
int32_t CD_Number();
bool CD_Playing();
bool CD_Paused();
int32_t CD_Track();
int32_t CD_Length();
int32_t CD_TrackLength(int32_t track);
int32_t CD_Position();
int32_t CD_TrackPosition();
void CD_Play(int32_t first, int32_t last);
void CD_Stop();
void CD_Pause();
void CD_Resume();
void CD_SetPosition(int32_t ms);
void CD_SetTrackPosition(int32_t ms);
void CD_OpenDoor();
void CD_CloseDoor();

}  // namespace bw
