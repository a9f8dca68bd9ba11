#include "host/cd_drive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace bw {
namespace {

// libcdio writes warnings about drives and images to stderr; the CD device
// logs one line of its own with the reason instead.
void Quiet(cdio_log_level_t /*level*/, const char* /*message*/) {}

bool IsImageDriver(driver_id_t driver)
{
    return driver == DRIVER_BINCUE || driver == DRIVER_NRG || driver == DRIVER_CDRDAO;
}

// Why name could not be opened, from what the file system says of it.
std::string OpenFailure(const std::string& name)
{
    if (access(name.c_str(), F_OK) != 0) {
        return "no drive or disc image " + name;
    }
    if (access(name.c_str(), R_OK) != 0 && errno == EACCES) {
        return "no permission to read " + name;
    }
    return name + " cannot be opened as a CD";
}

}  // namespace

const CdTrack* CdToc::Track(int32_t number) const
{
    if (tracks.empty() || number < tracks.front().number || number > tracks.back().number) {
        return nullptr;
    }
    return &tracks[static_cast<size_t>(number - tracks.front().number)];
}

const CdTrack* CdToc::TrackAt(int32_t sector) const
{
    const CdTrack* found = tracks.empty() ? nullptr : &tracks.front();
    for (const CdTrack& track : tracks) {
        if (track.firstSector <= sector) {
            found = &track;
        }
    }
    return found;
}

std::string CdDrive_ConfiguredName()
{
    const char* name = std::getenv("BW_CD_DEVICE");
    return name != nullptr ? name : "";
}

CCdDrive::~CCdDrive()
{
    Close();
}

bool CCdDrive::Open(const std::string& name, std::string* why)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { cdio_log_set_handler(&Quiet); });
    Close();
    m_name = name;
    if (m_name.empty()) {
        driver_id_t driver = DRIVER_DEVICE;
        char* found = cdio_get_default_device_driver(&driver);
        if (found == nullptr) {
            *why = "no CD drive found";
            return false;
        }
        m_name = found;
        std::free(found);
    }
    m_cdio = cdio_open(m_name.c_str(), DRIVER_UNKNOWN);
    if (m_cdio == nullptr) {
        *why = OpenFailure(m_name);
        return false;
    }
    m_image = IsImageDriver(cdio_get_driver_id(m_cdio));
    return true;
}

void CCdDrive::Close()
{
    if (m_cdda != nullptr) {
        cdio_cddap_close_no_free_cdio(m_cdda);
        m_cdda = nullptr;
    }
    if (m_cdio != nullptr) {
        cdio_destroy(m_cdio);
        m_cdio = nullptr;
    }
}

bool CCdDrive::ReadToc(CdToc* toc, std::string* why)
{
    *toc = CdToc{};
    if (m_cdio == nullptr) {
        *why = "no disc in " + m_name;
        return false;
    }
    const track_t first = cdio_get_first_track_num(m_cdio);
    const track_t count = cdio_get_num_tracks(m_cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        *why = "no disc in " + m_name;
        return false;
    }
    const lsn_t leadOut = cdio_get_track_lsn(m_cdio, CDIO_CDROM_LEADOUT_TRACK);
    for (track_t number = first; number < first + count; ++number) {
        CdTrack track;
        track.number = number;
        track.firstSector = cdio_get_track_lsn(m_cdio, number);
        track.audio = cdio_get_track_format(m_cdio, number) == TRACK_FORMAT_AUDIO;
        toc->tracks.push_back(track);
    }
    toc->leadOut = leadOut;
    // A table that runs backwards or past the lead-out is not a disc we can
    // play from.
    for (size_t i = 0; i < toc->tracks.size(); ++i) {
        const int32_t end = i + 1 < toc->tracks.size() ? toc->tracks[i + 1].firstSector : leadOut;
        if (toc->tracks[i].firstSector < 0 || end < toc->tracks[i].firstSector) {
            *toc = CdToc{};
            *why = "the table of contents of " + m_name + " cannot be read";
            return false;
        }
        toc->tracks[i].sectors = end - toc->tracks[i].firstSector;
    }
    return true;
}

bool CCdDrive::MediaChanged()
{
    return m_cdio != nullptr && !m_image && cdio_get_media_changed(m_cdio) == 1;
}

bool CCdDrive::OpenDoor(std::string* why)
{
    Close();
    if (cdio_eject_media_drive(m_name.c_str()) != DRIVER_OP_SUCCESS) {
        *why = "the door of " + m_name + " does not open";
        return false;
    }
    return true;
}

bool CCdDrive::CloseDoor(std::string* why)
{
    Close();
    driver_id_t driver = DRIVER_DEVICE;
    if (cdio_close_tray(m_name.c_str(), &driver) != DRIVER_OP_SUCCESS) {
        *why = "the door of " + m_name + " does not close";
        return false;
    }
    return true;
}

bool CCdDrive::StartAudio(std::string* why)
{
    if (m_cdda != nullptr) {
        return true;
    }
    m_cdda = cdio_cddap_identify_cdio(m_cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (m_cdda != nullptr && cdio_cddap_open(m_cdda) == 0) {
        return true;
    }
    if (m_cdda != nullptr) {
        cdio_cddap_close_no_free_cdio(m_cdda);
        m_cdda = nullptr;
    }
    *why = "the audio of " + m_name + " cannot be read";
    return false;
}

bool CCdDrive::ReadAudio(int32_t sector, int32_t count, uint8_t* out, std::string* why)
{
    if (m_cdio == nullptr) {
        *why = "no disc in " + m_name;
        return false;
    }
    if (!StartAudio(why)) {
        return false;
    }
    if (cdio_cddap_read(m_cdda, out, sector, count) != count) {
        *why = "read error at sector " + std::to_string(sector) + " of " + m_name;
        return false;
    }
    return true;
}

}  // namespace bw
