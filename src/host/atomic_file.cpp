#include "host/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

namespace bw {

namespace {

constexpr int kNameAttempts = 100;
constexpr size_t kCopyBlock = 64 * 1024;
constexpr std::string_view kTemporarySuffix = ".tmp";

std::atomic<int64_t> g_spaceLeft{-1};
std::atomic<uint32_t> g_temporaryCount{0};

// The file a write to path lands in: the target of a symbolic link.
std::string WrittenPath(const std::string& path)
{
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0 || !S_ISLNK(entry.st_mode)) return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// Takes up to size bytes of the simulated space; what is left to write
// beyond it fails as a full disk would.
size_t ClaimSpace(size_t size)
{
    int64_t left = g_spaceLeft.load();
    while (left >= 0) {
        const auto granted = static_cast<int64_t>(std::min<uint64_t>(size, static_cast<uint64_t>(left)));
        if (g_spaceLeft.compare_exchange_weak(left, left - granted)) return static_cast<size_t>(granted);
    }
    return size;
}

// The folder path lies in, with its closing slash; empty for a bare name.
std::string FolderPrefix(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// ".<name>\<pid>-<count>.tmp": hidden, and telling which process may still
// be writing it. The backslash is what keeps it apart from the game's own
// files: game code's backslashes separate folders, so no name it writes can
// hold one, and the start-up sweep can never take a file the game made. The
// process and count alone keep it apart from every other temporary file, so
// a name too long to leave room for them within the file system's limit on
// a name is cut.
std::string TemporaryName(const std::string& name, uint32_t count)
{
    const std::string tail = "\\" + std::to_string(getpid()) + "-" + std::to_string(count) + std::string(kTemporarySuffix);
    return "." + name.substr(0, NAME_MAX - 1 - tail.size()) + tail;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A process that exists, even one this user may not signal.
bool ProcessRuns(pid_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

bool SyncFolder(const std::string& path)
{
    const std::string folder = FolderPrefix(path);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : m_path(WrittenPath(path))
{
    struct stat existing {};
    const bool exists = stat(m_path.c_str(), &existing) == 0;
    // A device, pipe or folder under the name is no file to replace: the
    // rename would put a plain file in its place.
    if (exists && !S_ISREG(existing.st_mode)) {
        m_error = "open: not a regular file";
        return;
    }
    // The rename needs only the folder's permission: a file this process may
    // not write (one the player made read-only) is refused as opening it for
    // writing would refuse it.
    if (exists && faccessat(AT_FDCWD, m_path.c_str(), W_OK, AT_EACCESS) != 0) {
        Fail("open");
        return;
    }
    const std::string folder = FolderPrefix(m_path);
    const std::string name = m_path.substr(folder.size());
    // Created as the open of the real name would create it (the umask
    // applies); a file that exists keeps its permissions below.
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_temporary = folder + TemporaryName(name, g_temporaryCount.fetch_add(1));
        m_fd = open(m_temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        m_temporary.clear();
        Fail("open");
        return;
    }
    if (exists) fchmod(m_fd, existing.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

bool AtomicFileWriter::Write(const void* data, size_t size)
{
    if (m_fd < 0 || !m_error.empty()) return false;
    return HostFs_WriteAll(m_fd, data, size) || Fail("write");
}

bool AtomicFileWriter::CreateTarget()
{
    if (m_fd < 0 || !m_error.empty()) return false;
    m_madeFd = open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return m_madeFd >= 0 || errno == EEXIST || Fail("open");
}

void AtomicFileWriter::ForgetMadeTarget()
{
    if (m_madeFd >= 0) close(m_madeFd);
    m_madeFd = -1;
}

bool AtomicFileWriter::CopyFrom(const std::string& source)
{
    if (m_fd < 0 || !m_error.empty()) return false;
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno == ENOENT || Fail("open");
    std::vector<char> block(kCopyBlock);
    bool copied = true;
    while (copied) {
        const ssize_t n = read(in, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        copied = n > 0 ? Write(block.data(), static_cast<size_t>(n)) : Fail("read");
    }
    close(in);
    return copied;
}

int64_t AtomicFileWriter::ReadBack(void* data, size_t size)
{
    if (m_fd < 0) return -1;
    ssize_t n = -1;
    do {
        n = read(m_fd, data, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

int64_t AtomicFileWriter::Seek(int64_t offset, int whence)
{
    return m_fd < 0 ? -1 : lseek(m_fd, offset, whence);
}

void AtomicFileWriter::Retarget(const std::string& path)
{
    m_path = WrittenPath(path);
}

bool AtomicFileWriter::Commit()
{
    if (m_fd < 0 || !m_error.empty()) {
        Discard();
        return false;
    }
    // Renamed only once its bytes are on the disk: otherwise a crash soon
    // after could leave the new name over contents never written.
    if (fsync(m_fd) != 0) Fail("fsync");
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) Fail("close");
    if (m_error.empty() && rename(m_temporary.c_str(), m_path.c_str()) != 0) Fail("rename");
    if (!m_error.empty()) {
        Discard();
        return false;
    }
    m_temporary.clear();
    ForgetMadeTarget();
    // The rename itself lasts once the folder is on the disk; the file is
    // already whole under its name, so a failure here loses nothing.
    SyncFolder(m_path);
    return true;
}

bool AtomicFileWriter::Fail(const char* what)
{
    if (m_error.empty()) m_error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

void AtomicFileWriter::Discard()
{
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) unlink(m_temporary.c_str());
    m_temporary.clear();
    // Nothing was there before, so nothing stays, unless the name has been
    // deleted, renamed or replaced since, or the file written in place.
    struct stat made {};
    struct stat named {};
    if (m_madeFd >= 0 && fstat(m_madeFd, &made) == 0 && made.st_nlink > 0 && made.st_size == 0 &&
        lstat(m_path.c_str(), &named) == 0 && named.st_dev == made.st_dev && named.st_ino == made.st_ino) {
        unlink(m_path.c_str());
    }
    ForgetMadeTarget();
}

bool HostFs_ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error)
{
    AtomicFileWriter writer(path);
    const bool replaced = writer.Write(data, size) && writer.Commit();
    if (!replaced && error != nullptr) *error = writer.Error();
    return replaced;
}

bool HostFs_WriteAll(int fd, const void* data, size_t size, size_t* written)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    const size_t room = ClaimSpace(size);
    size_t done = 0;
    while (done < room) {
        const ssize_t n = write(fd, bytes + done, room - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    if (written != nullptr) *written = done;
    if (done == room && room < size) errno = ENOSPC;
    return done == size;
}

bool HostFs_ParseTemporaryName(const std::string& name, pid_t* pid)
{
    if (name.size() <= kTemporarySuffix.size() || name[0] != '.' || !name.ends_with(kTemporarySuffix)) return false;
    const std::string_view body(name.data(), name.size() - kTemporarySuffix.size());  // ".<name>\<pid>-<count>"
    const size_t dash = body.rfind('-');
    if (dash == std::string_view::npos || !AllDigits(body.substr(dash + 1))) return false;
    const size_t slash = body.rfind('\\', dash);
    // The name itself is at least one byte between the dot and the backslash.
    if (slash == std::string_view::npos || slash < 2) return false;
    // Written without leading zeros, so one never stands there.
    const std::string_view digits = body.substr(slash + 1, dash - slash - 1);
    if (!AllDigits(digits) || digits.front() == '0') return false;
    pid_t parsed = 0;
    const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (status != std::errc() || end != digits.data() + digits.size()) return false;
    *pid = parsed;
    return true;
}

void HostFs_RemoveStaleTemporaries(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<fs::path> stale;
    // Removed after the walk, so the listing never changes under it.
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        pid_t pid = 0;
        if (it->symlink_status(error).type() == fs::file_type::regular &&
            HostFs_ParseTemporaryName(it->path().filename().string(), &pid) && !ProcessRuns(pid)) {
            stale.push_back(it->path());
        }
    }
    for (const fs::path& path : stale) fs::remove(path, error);
}

void HostFs_SimulateSpaceLeft(int64_t bytes)
{
    g_spaceLeft.store(bytes);
}

}  // namespace bw
