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

ssize_t StreamWrite(void* writer, const char* data, size_t size)
{
    // A short count tells stdio the write failed.
    return static_cast<AppendFileWriter*>(writer)->Write(data, size) ? static_cast<ssize_t>(size) : 0;
}

constexpr cookie_io_functions_t kStreamFunctions{nullptr, &StreamWrite, nullptr, nullptr};

}  // namespace

AppendFileWriter::AppendFileWriter(const std::string& path)
{
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        m_error = "open: not a regular file";
        return;
    }
    // Created as fopen's "a" creates it (the umask applies). Should anything
    // else take the name before the open, it neither waits for a pipe's
    // reader nor makes a terminal the process's own, and is refused below.
    m_fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        Fail("open");
        return;
    }
    struct stat opened {};
    if (fstat(m_fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        m_error = "open: not a regular file";
        Close();
        return;
    }
    m_stream = fopencookie(this, "w", kStreamFunctions);
    if (m_stream == nullptr) {
        Fail("open");
        Close();
        return;
    }
    setvbuf(m_stream, nullptr, _IONBF, 0);
}

AppendFileWriter::~AppendFileWriter()
{
    Close();
}

bool AppendFileWriter::Write(const void* data, size_t size)
{
    if (m_fd < 0) return false;
    size_t written = 0;
    if (HostFs_WriteAll(m_fd, data, size, &written)) return true;
    Fail("write");
    // Part of a write is no line of the game's: the file is cut back to
    // where it ended, but only while that part is still the last thing in
    // it (another process may append to the same file).
    struct stat now {};
    if (written > 0 && fstat(m_fd, &now) == 0 && lseek(m_fd, 0, SEEK_CUR) == now.st_size &&
        ftruncate(m_fd, now.st_size - static_cast<off_t>(written)) != 0) {
        Fail("ftruncate");
    }
    return false;
}

bool AppendFileWriter::Close()
{
    // Unbuffered: nothing is left to write, and the stream's close only
    // frees it.
    if (m_stream != nullptr) std::fclose(m_stream);
    m_stream = nullptr;
    if (m_fd >= 0 && close(m_fd) != 0) Fail("close");
    m_fd = -1;
    return m_error.empty();
}

bool AppendFileWriter::Fail(const char* what)
{
    if (m_error.empty()) m_error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

}  // namespace bw
