#include "host/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/atomic_file.h"

namespace bw {

namespace {

constexpr const char* kNotRegular = "not a regular file";
// The most of a line the handle keeps back for its end: a game that never
// ends its lines still reaches the file, and memory stays bounded.
constexpr size_t kLongestWaitingLine = 64 * 1024;

ssize_t StreamWrite(void* writer, const char* data, size_t size)
{
    // A short count tells stdio the write failed.
    return static_cast<AppendFileWriter*>(writer)->Write(data, size) ? static_cast<ssize_t>(size) : 0;
}

constexpr cookie_io_functions_t kStreamFunctions{nullptr, &StreamWrite, nullptr, nullptr};

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

AppendFileWriter::AppendFileWriter(const std::string& path) : m_path(path)
{
    if (!OpenName()) return;
    m_stream = fopencookie(this, "w", kStreamFunctions);
    if (m_stream == nullptr) {
        Fail("open", std::strerror(errno));
        Close();
        return;
    }
    setvbuf(m_stream, nullptr, _IONBF, 0);
}

AppendFileWriter::~AppendFileWriter()
{
    Close();
}

bool AppendFileWriter::OpenName()
{
    struct stat existing {};
    if (stat(m_path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) return Fail("open", kNotRegular);
    // Created as fopen's "a" creates it (the umask applies). Should anything
    // else take the name before the open, it neither waits for a pipe's
    // reader nor makes a terminal the process's own, and is refused below.
    m_fd = open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (m_fd < 0) return Fail("open", std::strerror(errno));
    struct stat opened {};
    if (fstat(m_fd, &opened) == 0 && S_ISREG(opened.st_mode)) return true;
    close(m_fd);
    m_fd = -1;
    return Fail("open", kNotRegular);
}

bool AppendFileWriter::HoldsName() const
{
    struct stat held {};
    struct stat named {};
    return m_fd >= 0 && fstat(m_fd, &held) == 0 && stat(m_path.c_str(), &named) == 0 && SameFile(held, named);
}

bool AppendFileWriter::FollowName()
{
    if (HoldsName()) return true;
    if (m_fd >= 0) {
        // Written while the old file was at the name, so it goes there, as
        // everything written before the replacement did.
        if (!m_waiting.empty()) WriteOut(m_waiting.data(), m_waiting.size());
        close(m_fd);
        m_fd = -1;
    }
    m_waiting.clear();
    m_stuck = false;
    m_lineBegun = false;
    return OpenName();
}

bool AppendFileWriter::Write(const void* data, size_t size)
{
    if (!FollowName()) return false;
    m_waiting.append(static_cast<const char*>(data), size);
    const size_t end = m_waiting.rfind('\n');
    // Past the bound the line's start goes out on its own.
    const size_t ready = end != std::string::npos ? end + 1 : m_waiting.size() > kLongestWaitingLine ? m_waiting.size() : 0;
    if (ready == 0) return true;
    const bool lineEnds = m_waiting[ready - 1] == '\n';
    const bool written = WriteOut(m_waiting.data(), ready);
    m_waiting.erase(0, ready);
    m_lineBegun = !lineEnds && written;
    // The rest of a line whose start is lost would stand as a line of its own.
    if (!lineEnds && !written) m_stuck = true;
    return written;
}

bool AppendFileWriter::WriteOut(const char* data, size_t size)
{
    if (m_fd < 0 || m_stuck) return false;
    size_t written = 0;
    if (HostFs_WriteAll(m_fd, data, size, &written)) return true;
    Fail("write", std::strerror(errno));
    // Part of a write is no line of the game's: the file is cut back to
    // where it ended, but only while that part is still the last thing in
    // it (another process may append to the same file). A part that stays,
    // or the start of a line already out, ends what this handle adds to the
    // file, so no later line runs on from it.
    struct stat now {};
    const bool takenBack = written == 0 || (fstat(m_fd, &now) == 0 && lseek(m_fd, 0, SEEK_CUR) == now.st_size &&
                                            ftruncate(m_fd, now.st_size - static_cast<off_t>(written)) == 0);
    m_stuck = !takenBack || m_lineBegun;
    return false;
}

bool AppendFileWriter::Close()
{
    // Unbuffered: the stream holds nothing, and its close only frees it.
    if (m_stream != nullptr) std::fclose(m_stream);
    m_stream = nullptr;
    // A line never ended is kept as far as the game wrote it.
    if (!m_waiting.empty()) WriteOut(m_waiting.data(), m_waiting.size());
    m_waiting.clear();
    if (m_fd >= 0 && close(m_fd) != 0) Fail("close", std::strerror(errno));
    m_fd = -1;
    return m_error.empty();
}

bool AppendFileWriter::Fail(const char* what, const char* reason)
{
    if (m_error.empty()) m_error = std::string(what) + ": " + reason;
    return false;
}

}  // namespace bw
