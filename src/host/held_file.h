// Files the game holds open to rewrite. Their bytes go to the temporary
// file of an AtomicFileWriter and take the real name only when the game
// closes them, so a write that fails (a full disk) or a process that ends
// half way never leaves the old file cut short. The name itself exists from
// the open, as a plain open would make it (empty when nothing was there), so
// nothing else can take it meanwhile. Until the close every reader of the
// name in this process sees what has been written so far, as it would if
// the file were written in place; deleting or renaming the name carries the
// held file along.
#pragma once

#include <string>

#include "host/atomic_file.h"
#include "host/file_writer.h"

namespace bw {

enum class HeldFileStart {
    kEmpty,  // written anew
    kEdit,   // a copy of the old contents, read and written from its start
};

class HeldFileWriter final : public FileWriter {
public:
    // path: the file replaced on Close. An edit starts from what path holds
    // (what this process holds open under that name, when it does); a
    // missing file starts empty.
    HeldFileWriter(const std::string& path, HeldFileStart start);
    // Without Close the old file stays as it was.
    ~HeldFileWriter() override;
    HeldFileWriter(const HeldFileWriter&) = delete;
    HeldFileWriter& operator=(const HeldFileWriter&) = delete;

    // A buffered stream over the new contents, read and written.
    FILE* Stream() const override { return m_stream; }
    // Puts the new contents in place; on failure the old file stays whole.
    bool Close() override;
    const std::string& Error() const override { return m_writer.Error(); }

private:
    friend std::string HostFs_ContentsPath(const std::string& path);
    friend void HostFs_ForgetHeldFiles(const std::string& path);
    friend void HostFs_MoveHeldFiles(const std::string& from, const std::string& to);

    // Starts the new contents as start asks; false when that failed.
    bool Begin(HeldFileStart start);
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
// The name was deleted: what is held open under it is put nowhere.
void HostFs_ForgetHeldFiles(const std::string& path);
// The name was renamed: what is held open under from lands at to.
void HostFs_MoveHeldFiles(const std::string& from, const std::string& to);

}  // namespace bw
