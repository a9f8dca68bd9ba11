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
    // Created as fopen's "a" creates it (the umask applies). Never waits,
    // should a pipe take the name meanwhile.
    m_fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        Fail("open");
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
    const off_t end = lseek(m_fd, 0, SEEK_END);
    if (HostFs_WriteAll(m_fd, data, size)) return true;
    // Part of a write is no line of the game's: the file ends where it did.
    // The first failure is the one reported.
    Fail("write");
    if (end >= 0 && ftruncate(m_fd, end) != 0) Fail("ftruncate");
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
