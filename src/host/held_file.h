// Files the game holds open for writing. Their bytes go to the temporary
// file of an AtomicFileWriter and take the real name only when the game
// closes them, so a write that fails (a full disk) or a process that ends
// half way never leaves the old file cut short. Until then every reader of
// the name in this process sees what has been written so far, as it would
// if the file were written in place; deleting or renaming the name carries
// the held file along.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/atomic_file.h"

namespace bw {

enum class HeldFileStart {
    kEmpty,   // written anew
    kAppend,  // a copy of the old contents, written on at its end
    kEdit,    // a copy of the old contents, read and written from its start
};

class HeldFileWriter {
public:
    // path: the file replaced on Close; source: where the old contents of a
    // copy come from (what this process holds open under that name, when it
    // does); a missing source starts the file empty.
    HeldFileWriter(const std::string& path, HeldFileStart start, const std::string& source);
    // Without Close the old file stays as it was.
    ~HeldFileWriter();
    HeldFileWriter(const HeldFileWriter&) = delete;
    HeldFileWriter& operator=(const HeldFileWriter&) = delete;

    // A buffered stream over the new contents; null when the file could not
    // be opened, Error saying why.
    FILE* Stream() const { return m_stream; }
    // Puts the new contents in place. False when anything failed, the old
    // file then whole and Error saying why.
    bool Close();
    const std::string& Error() const { return m_writer.Error(); }

private:
    friend std::string HostFs_ContentsPath(const std::string& path);
    friend std::vector<std::string> HostFs_HeldPaths();
    friend void HostFs_ForgetHeldFiles(const std::string& path);
    friend void HostFs_MoveHeldFiles(const std::string& from, const std::string& to);

    // Starts the new contents as start asks; false when that failed.
    bool Begin(HeldFileStart start, const std::string& source);
    void Release();

    std::string m_path;  // as given, the name readers ask for
    AtomicFileWriter m_writer;
    FILE* m_stream = nullptr;
    bool m_deleted = false;  // the name was deleted: Close puts nothing in place
};

// The file a reader of path opens: while this process holds path open for
// writing, the temporary file with everything written so far (the newest
// holder's, its stream flushed); otherwise path itself.
std::string HostFs_ContentsPath(const std::string& path);
// The names files are held open under (a name once for each holder), for
// lookups that match names other than byte for byte.
std::vector<std::string> HostFs_HeldPaths();
// The name was deleted: what is held open under it is put nowhere.
void HostFs_ForgetHeldFiles(const std::string& path);
// The name was renamed: what is held open under from lands at to.
void HostFs_MoveHeldFiles(const std::string& from, const std::string& to);

}  // namespace bw
