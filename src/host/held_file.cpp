#include "host/held_file.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace bw {

namespace {

struct HeldFiles {
    std::mutex lock;
    std::vector<HeldFileWriter*> open;  // oldest first
};

// Never destroyed: a writer may still be open when the process exits, and
// whatever closes it then must find the list whole.
HeldFiles& Held()
{
    static HeldFiles* const held = new HeldFiles;
    return *held;
}

// The stream's reads, writes and seeks go to the writer, so writes meet the
// same failures (and the tests' simulated full disk) as any other.
ssize_t StreamRead(void* writer, char* data, size_t size)
{
    return static_cast<ssize_t>(static_cast<AtomicFileWriter*>(writer)->ReadBack(data, size));
}

ssize_t StreamWrite(void* writer, const char* data, size_t size)
{
    // A short count tells stdio the write failed.
    return static_cast<AtomicFileWriter*>(writer)->Write(data, size) ? static_cast<ssize_t>(size) : 0;
}

int StreamSeek(void* writer, off64_t* offset, int whence)
{
    const int64_t position = static_cast<AtomicFileWriter*>(writer)->Seek(*offset, whence);
    if (position < 0) return -1;
    *offset = position;
    return 0;
}

constexpr cookie_io_functions_t kStreamFunctions{&StreamRead, &StreamWrite, &StreamSeek, nullptr};

}  // namespace

HeldFileWriter::HeldFileWriter(const std::string& path, HeldFileStart start)
    : m_path(path), m_writer(path)
{
    if (Begin(start)) m_stream = fopencookie(&m_writer, "r+", kStreamFunctions);
    if (m_stream == nullptr) {
        m_writer.Discard();
        return;
    }
    HeldFiles& held = Held();
    const std::lock_guard guard(held.lock);
    held.open.push_back(this);
}

bool HeldFileWriter::Begin(HeldFileStart start)
{
    if (!m_writer.CreateTarget()) return false;
    return start == HeldFileStart::kEmpty ||
           (m_writer.CopyFrom(HostFs_ContentsPath(m_path)) && m_writer.Seek(0, SEEK_SET) == 0);
}

HeldFileWriter::~HeldFileWriter()
{
    Release();
}

bool HeldFileWriter::Close()
{
    if (m_stream == nullptr) return false;
    const bool flushed = std::fflush(m_stream) == 0;
    Release();
    if (flushed && !m_deleted) return m_writer.Commit();
    m_writer.Discard();
    return m_deleted;
}

void HeldFileWriter::Release()
{
    if (m_stream == nullptr) return;
    {
        HeldFiles& held = Held();
        const std::lock_guard guard(held.lock);
        std::erase(held.open, this);
    }
    std::fclose(m_stream);
    m_stream = nullptr;
}

std::string HostFs_ContentsPath(const std::string& path)
{
    HeldFiles& held = Held();
    const std::lock_guard guard(held.lock);
    const auto newest = std::find_if(held.open.rbegin(), held.open.rend(), [&](const HeldFileWriter* writer) {
        return !writer->m_deleted && writer->m_path == path;
    });
    if (newest == held.open.rend()) return path;
    std::fflush((*newest)->m_stream);
    return (*newest)->m_writer.TemporaryPath();
}

void HostFs_ForgetHeldFiles(const std::string& path)
{
    HeldFiles& held = Held();
    const std::lock_guard guard(held.lock);
    for (HeldFileWriter* writer : held.open) {
        if (writer->m_path == path) writer->m_deleted = true;
    }
}

void HostFs_MoveHeldFiles(const std::string& from, const std::string& to)
{
    HeldFiles& held = Held();
    const std::lock_guard guard(held.lock);
    for (HeldFileWriter* writer : held.open) {
        if (writer->m_path != from || writer->m_deleted) continue;
        writer->m_path = to;
        writer->m_writer.Retarget(to);
    }
}

}  // namespace bw
