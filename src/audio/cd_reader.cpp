#include "audio/cd_reader.h"

#include <algorithm>
#include <utility>

namespace bw {
namespace {

// Sectors read at a time: a tenth of a second, so a new play, a stop or the
// end of the game waits for little more than that.
constexpr int32_t kChunkSectors = 8;
// About two seconds of sound read ahead of the player.
constexpr size_t kQueueBytes = static_cast<size_t>(2 * kCdSectorsPerSecond) * kCdSectorBytes;
constexpr auto kPollInterval = std::chrono::seconds(1);
// How long opening the device waits for the drive to answer; a drive still
// spinning up answers later, and the disc then appears.
constexpr auto kFirstProbeWait = std::chrono::seconds(3);

}  // namespace

CCdReader::CCdReader(std::string driveName)
    : m_driveName(std::move(driveName)), m_chunk(static_cast<size_t>(kChunkSectors) * kCdSectorBytes)
{
    m_worker = std::thread([this] { Run(); });
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, kFirstProbeWait, [this] { return m_probed; });
}

CCdReader::~CCdReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

CdDiscState CCdReader::Disc() const
{
    const std::lock_guard lock(m_mutex);
    return m_disc;
}

void CCdReader::MoveDoor(bool open)
{
    {
        const std::lock_guard lock(m_mutex);
        m_doorRequest = open;
        m_disc.doorOpen = open;
        if (open) {
            m_disc.present = false;
        }
    }
    m_wake.notify_all();
}

void CCdReader::Play(std::vector<CdSpan> spans)
{
    {
        const std::lock_guard lock(m_mutex);
        m_spans = std::move(spans);
        m_span = 0;
        m_nextSector = m_spans.empty() ? 0 : m_spans.front().first;
        m_readingDone = m_spans.empty();
        m_pcm.clear();
        ++m_playSerial;
    }
    m_wake.notify_all();
}

int64_t CCdReader::TakePcm(uint8_t* out, size_t capacity)
{
    size_t taken = 0;
    {
        const std::lock_guard lock(m_mutex);
        taken = std::min(capacity, m_pcm.size());
        if (taken == 0) {
            return m_readingDone ? 0 : kPcmNotYet;
        }
        std::copy_n(m_pcm.begin(), taken, out);
        m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(taken));
    }
    m_wake.notify_all();  // there is room to read ahead again
    return static_cast<int64_t>(taken);
}

void CCdReader::Run()
{
    Probe();
    std::unique_lock lock(m_mutex);
    m_probed = true;
    m_wake.notify_all();
    auto nextPoll = Clock::now() + kPollInterval;
    while (!m_quit) {
        if (m_doorRequest.has_value()) {
            const bool open = *m_doorRequest;
            m_doorRequest.reset();
            lock.unlock();
            std::string why;
            const bool moved = open ? m_drive.OpenDoor(&why) : m_drive.CloseDoor(&why);
            if (!open || !moved) {
                Probe();  // the disc now in, or still in
            }
            lock.lock();
            if (!moved) {
                m_disc.doorOpen = false;
                m_disc.problem = why;
            }
        } else if (Clock::now() >= nextPoll) {
            lock.unlock();
            Poll();
            lock.lock();
            nextPoll = Clock::now() + kPollInterval;
        } else if (WantsSectors()) {
            ReadAhead(lock);
        } else {
            m_wake.wait_until(lock, nextPoll);
        }
    }
}

void CCdReader::Probe()
{
    CdDiscState disc;
    disc.drive = m_drive.Open(m_driveName, &disc.problem);
    disc.image = m_drive.IsImage();
    disc.present = disc.drive && m_drive.ReadToc(&disc.toc, &disc.problem);
    const std::lock_guard lock(m_mutex);
    disc.generation = m_disc.generation + 1;
    m_disc = std::move(disc);
    m_spans.clear();
    m_readingDone = true;
    ++m_playSerial;
}

void CCdReader::Poll()
{
    bool doorOpen = false;
    bool present = false;
    {
        const std::lock_guard lock(m_mutex);
        doorOpen = m_disc.doorOpen;
        present = m_disc.present;
    }
    // A drive that could not be opened is tried again when the device is
    // opened again; a drive without a readable disc is asked once a second.
    if (!doorOpen && m_drive.IsOpen() && (!present || m_drive.MediaChanged())) {
        Probe();
    }
}

bool CCdReader::WantsSectors() const
{
    return m_disc.present && m_span < m_spans.size() && m_pcm.size() + m_chunk.size() <= kQueueBytes;
}

void CCdReader::ReadAhead(std::unique_lock<std::mutex>& lock)
{
    const CdSpan span = m_spans[m_span];
    const int32_t sector = m_nextSector;
    const int32_t count = std::min(kChunkSectors, span.end - sector);
    const uint32_t serial = m_playSerial;
    lock.unlock();
    std::string why;
    const bool read = m_drive.ReadAudio(sector, count, m_chunk.data(), &why);
    lock.lock();
    if (serial != m_playSerial) {
        return;  // played elsewhere or stopped meanwhile
    }
    if (!read) {
        m_disc.present = false;
        m_disc.problem = why;
        m_readingDone = true;
        return;
    }
    m_pcm.insert(m_pcm.end(), m_chunk.begin(), m_chunk.begin() + static_cast<std::ptrdiff_t>(count) * kCdSectorBytes);
    m_nextSector = sector + count;
    if (m_nextSector >= span.end && ++m_span < m_spans.size()) {
        m_nextSector = m_spans[m_span].first;
    }
    m_readingDone = m_span >= m_spans.size();
}

}  // namespace bw
