// A CD drive, or a disc image standing in for one, through libcdio: the
// table of contents, the door, and the audio sectors read digitally through
// its cdda layer (which knows the read commands and byte orders of drives).
// The paranoia layer above it is not used: on a sector it cannot mend it may
// retry for ever, and a read error must end the play instead.
// Every call may wait on the drive for seconds; callers keep it off the game
// step. One object is used from one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _CdIo;
struct cdrom_drive_s;

namespace bw {

inline constexpr int32_t kCdSectorsPerSecond = 75;
inline constexpr int32_t kCdFramesPerSector = 588;  // 16-bit stereo at 44.1 kHz
inline constexpr int32_t kCdSectorBytes = kCdFramesPerSector * 4;
inline constexpr int32_t kCdSampleRate = 44100;

struct CdTrack {
    int32_t number = 0;
    int32_t firstSector = 0;  // counted from the start of the first track
    int32_t sectors = 0;      // up to the next track or the lead-out
    bool audio = false;
};

struct CdToc {
    std::vector<CdTrack> tracks;  // in disc order, numbers rising by one
    int32_t leadOut = 0;          // the first sector after the last track

    // The track numbered number, or null.
    const CdTrack* Track(int32_t number) const;
    // The track that sector lies in (the last one for the lead-out); null
    // when the disc has no tracks.
    const CdTrack* TrackAt(int32_t sector) const;
};

// The drive or image that BW_CD_DEVICE names (a player with two drives, or a
// CUE sheet); empty for the system's default drive.
std::string CdDrive_ConfiguredName();

class CCdDrive {
public:
    CCdDrive() = default;
    ~CCdDrive();
    CCdDrive(const CCdDrive&) = delete;
    CCdDrive& operator=(const CCdDrive&) = delete;

    // Opens name (a drive's device or a disc image), or the default drive
    // when name is empty. False with *why when there is no such drive, it
    // may not be read, or it cannot be opened.
    bool Open(const std::string& name, std::string* why);
    void Close();
    bool IsOpen() const { return m_cdio != nullptr; }
    // An image has no door and no medium to change.
    bool IsImage() const { return m_image; }
    const std::string& Name() const { return m_name; }

    // False with *why when the drive holds no disc it can read.
    bool ReadToc(CdToc* toc, std::string* why);
    // True once after the disc was changed (never for an image).
    bool MediaChanged();
    // Closes the drive and moves its tray; reopen to read the new disc.
    bool OpenDoor(std::string* why);
    bool CloseDoor(std::string* why);

    // Reads count sectors of 16-bit stereo PCM from sector on into out
    // (count x kCdSectorBytes bytes). False with *why on a read error.
    bool ReadAudio(int32_t sector, int32_t count, uint8_t* out, std::string* why);

private:
    bool StartAudio(std::string* why);

    _CdIo* m_cdio = nullptr;
    cdrom_drive_s* m_cdda = nullptr;
    std::string m_name;
    bool m_image = false;
};

}  // namespace bw
