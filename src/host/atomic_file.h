// Whole files written so that a write that cannot finish (a full disk, an
// error of the device, the process killed half way) never destroys the file
// it replaces: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old one. Anyone reading the
// file sees the old contents or the new ones, never a part of either, and a
// failed write leaves no temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bw {

class AtomicFileWriter {
public:
    // Opens the temporary file beside path. A path that names a symbolic
    // link replaces the file the link leads to, as writing through it would.
    explicit AtomicFileWriter(const std::string& path);
    // Without a successful Commit the temporary file is removed and the old
    // file stays as it was.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Appends the bytes; false once anything failed (later writes do
    // nothing, so a caller may check only Commit's answer).
    bool Write(const void* data, size_t size);
    // Flushes the new contents to the disk and puts them in place of the
    // old file. False when anything failed, the old file then untouched.
    bool Commit();
    // Why the first failure happened; empty while nothing failed.
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const char* what);
    void Discard();

    std::string m_path;  // the file replaced
    std::string m_temporary;
    int m_fd = -1;
    std::string m_error;
};

// The whole file in one go; error (when given) receives the reason of a
// failure.
bool HostFs_ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Tests simulate a full file system: writes through AtomicFileWriter fail
// with ENOSPC once this many more bytes were written; -1 lifts the limit.
void HostFs_SimulateSpaceLeft(int64_t bytes);

}  // namespace bw
