// Whole files written so that a write that cannot finish (a full disk, an
// error of the device, the process killed half way) never destroys the file
// it replaces: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old one. Anyone reading the
// file sees the old contents or the new ones, never a part of either, and a
// failed write leaves no temporary file behind. A process killed half way
// cannot remove its temporary file; the next start-up sweeps such leftovers.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace bw {

class AtomicFileWriter {
public:
    // Opens the temporary file beside path. A path that names a symbolic
    // link replaces the file the link leads to, as writing through it would;
    // anything there that is not a regular file (a device, a pipe), or a
    // file this process may not write, is never replaced, and every write
    // fails.
    explicit AtomicFileWriter(const std::string& path);
    // Without a successful Commit the temporary file is removed and the old
    // file stays as it was.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Writes the bytes at the position (the end, unless Seek moved it);
    // false once anything failed (later writes do nothing, so a caller may
    // check only Commit's answer).
    bool Write(const void* data, size_t size);
    // Makes the name exist at once, as an empty file when nothing is there,
    // as a plain open for writing would: nothing else takes the name (a
    // folder made there) before Commit, and a name the file system refuses
    // fails here rather than at Commit. A file already there stays as it is.
    // The empty file made goes again with Discard, unless something else
    // has replaced it meanwhile.
    bool CreateTarget();
    // Writes what source holds, so the new contents start from the old
    // ones; a missing source gives nothing to copy.
    bool CopyFrom(const std::string& source);
    // For a file that is read as well as written: what has been written so
    // far, from the position. The byte count, or -1.
    int64_t ReadBack(void* data, size_t size);
    // whence as for lseek; the new position, or -1.
    int64_t Seek(int64_t offset, int whence);
    // Flushes the new contents to the disk and puts them in place of the
    // old file. False when anything failed, the old file then untouched.
    bool Commit();
    // Drops the new contents: the temporary file goes, the old file stays.
    void Discard();
    // Why the first failure happened; empty while nothing failed.
    const std::string& Error() const { return m_error; }
    // Where the bytes lie until Commit.
    const std::string& TemporaryPath() const { return m_temporary; }
    // Commit puts the bytes at path instead (the file was renamed).
    void Retarget(const std::string& path);

private:
    bool Fail(const char* what);
    void ForgetMadeTarget();

    std::string m_path;  // the file replaced
    std::string m_temporary;
    int m_fd = -1;
    std::string m_error;
    // The empty file CreateTarget made, kept open until Commit or Discard
    // so that its inode cannot pass to another file meanwhile; -1 when none.
    int m_madeFd = -1;
};

// The whole file in one go; error (when given) receives the reason of a
// failure.
bool HostFs_ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Writes every byte to fd, retrying interrupted writes: false, errno saying
// why, when any could not be written; written (when given) receives how many
// were. Every writer of files goes through it, so all meet the tests'
// simulated full disk.
bool HostFs_WriteAll(int fd, const void* data, size_t size, size_t* written = nullptr);

// A temporary file of this writer's naming, ".<name>\<pid>-<count>.tmp";
// pid receives the process that made it. Only that exact form counts, and no
// name game code writes has it.
bool HostFs_ParseTemporaryName(const std::string& name, pid_t* pid);
// Removes, in folder and every folder below it, the temporary files whose
// process no longer runs: their writes can never finish. Links are not
// followed; anything else stays.
void HostFs_RemoveStaleTemporaries(const std::string& folder);

// Tests simulate a full file system: writes through HostFs_WriteAll fail
// with ENOSPC once this many more bytes were written; -1 lifts the limit.
void HostFs_SimulateSpaceLeft(int64_t bytes);

}  // namespace bw
