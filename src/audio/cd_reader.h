// The CD drive on a worker thread of its own: the drive may take seconds to
// spin up, eject, or re-read a scratch, and none of that may hold up the game
// step. The worker opens the drive, reads its table of contents, looks for a
// new disc about once a second, moves the door, and reads the audio sectors
// of what plays into a queue that the streamer drains (CCdPcmSource). The
// game's thread sees the drive only through the last state the worker
// published.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/pcm_decoder.h"
#include "host/cd_drive.h"

namespace bw {

struct CdDiscState {
    bool drive = false;     // a drive or an image is open
    bool image = false;     // an image: no door, and its disc never changes
    bool present = false;   // a disc whose table of contents was read
    bool doorOpen = false;  // opened by game code, until it closes it
    int32_t generation = 0;  // counts the discs read, so a change is seen
    std::string problem;     // why there is no disc; empty with one
    CdToc toc;
};

// Audio sectors [first, end) to be played, in order.
struct CdSpan {
    int32_t first = 0;
    int32_t end = 0;
};

class CCdReader {
public:
    // Starts the worker on the drive or image named (the default drive when
    // empty) and waits a moment for it to read the disc, so that a game's
    // first question finds it.
    explicit CCdReader(std::string driveName);
    // Stops the worker (after the sectors it is reading) and closes the drive.
    ~CCdReader();
    CCdReader(const CCdReader&) = delete;
    CCdReader& operator=(const CCdReader&) = delete;

    CdDiscState Disc() const;
    // Opens or closes the door; the disc counts as gone while it is open.
    void MoveDoor(bool open);
    // Reads the spans' sectors ahead of the player from now on, dropping
    // whatever was read for the play before; no spans stops the reading.
    void Play(std::vector<CdSpan> spans);
    // Takes up to capacity bytes of what was read: 0 when every span has been
    // handed over (or the reading failed), kPcmNotYet while the drive is
    // still reading.
    int64_t TakePcm(uint8_t* out, size_t capacity);

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    // Opens the drive afresh and reads its disc; publishes the result and
    // drops the reading of the disc that was in.
    void Probe();
    void Poll();
    void ReadAhead(std::unique_lock<std::mutex>& lock);
    bool WantsSectors() const;

    const std::string m_driveName;
    CCdDrive m_drive;  // the worker's alone
    std::vector<uint8_t> m_chunk;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    CdDiscState m_disc;
    bool m_probed = false;
    bool m_quit = false;
    std::optional<bool> m_doorRequest;
    std::vector<CdSpan> m_spans;
    size_t m_span = 0;
    int32_t m_nextSector = 0;
    bool m_readingDone = true;
    uint32_t m_playSerial = 0;  // a read that started for an earlier play is dropped
    std::deque<uint8_t> m_pcm;
    std::thread m_worker;
};

// The sectors the reader reads, as the streamer's decoder.
class CCdPcmSource : public IPcmDecoder {
public:
    explicit CCdPcmSource(CCdReader& reader) : m_reader(reader) {}
    int32_t Rate() const override { return kCdSampleRate; }
    int32_t AlFormat() const override { return Pcm16_AlFormat(2); }
    int64_t Read(uint8_t* out, size_t capacity) override { return m_reader.TakePcm(out, capacity); }
    bool Rewind() override { return false; }

private:
    CCdReader& m_reader;
};

}  // namespace bw
