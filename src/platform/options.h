// The game's global settings from the package's "OPTN" chunk: display and
// window behaviour, the error policy, the audio system and the game's named
// constants. The record is reset before every main chunk pass; the modules
// that act on a setting read it here (the start-up applies those that must
// reach a lower layer at once).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/package_image.h"

namespace bw {

struct GameOptionConstant {
    const char* name;   // null when the package left the slot empty
    const char* value;  // the value's text; null likewise
};

struct GameOptions {
    bool fullScreen = false;
    bool flag1 = false;
    bool newAudio = false;
    bool flag3 = false;
    bool showCursor = true;
    int32_t value5 = 100;
    bool flag6 = false;
    bool flag7 = false;
    uint32_t windowColour = 0xFFFFFF;
    bool changeDisplay = false;
    int32_t colourDepthCode = 0;
    int32_t resolutionCode = 0;
    int32_t frequencyCode = 0;
    bool flag13 = false;
    int32_t value14 = 0;
    bool altEnterFullScreen = true;
    bool flag16 = true, flag17 = true, flag18 = true, flag19 = true, flag20 = true;
    int32_t value21 = 0;
    bool freezeWhenInactive = false;
    bool loadingBar = true;
    const uint8_t* word26 = nullptr;  // resolved offset, kept for its owner
    bool flag27 = false;
    uint8_t flag28 = 255;  // 255 until a chunk is read
    bool flag29 = true;
    bool flag31 = false;
    bool allErrorsFatal = false;
    bool uninitialisedAreErrors = false;
    bool createEventBeforeCode = false;
    std::vector<GameOptionConstant> constants;
    int32_t versionMajor = 0;
    int32_t versionMinor = 0;
};

GameOptions& Options();

// Every option back to its default, the constants dropped.
void Options_SetDefaults();

// Reads the chunk at [offset, offset + length). The create-event order is
// read only for header formats 5 and up; inAWindow keeps full screen off.
// False, with the defaults kept, when the record or a constant does not fit
// the chunk or names a string outside the file.
bool Options_Load(const PackageView& package, uint32_t offset, uint32_t length, int32_t headerFormat,
                  bool inAWindow);

}  // namespace bw
