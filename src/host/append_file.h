// Files the game appends to. Appending never destroys what a file holds, so
// it needs no hidden copy: each line goes straight to the end of the file
// as it then stands, its text and its end in one write, as soon as its end
// is written. A game killed or crashed keeps every line it ended, as a log
// must, and two handles on one file both keep their lines, never mixed
// within a line. A full disk takes a line whole or not at all, so no line
// end is ever left without its text. A line longer than 64 KiB is not kept
// back whole: it goes out as far as it is written (so another handle's line
// may come between its pieces); should its rest then fail, nothing more
// follows, so the file ends at most in the start of one line.
//
// The handle writes to the file at its name, not to the file it opened:
// when the name is replaced (a whole-file save renames a new file over it)
// or deleted, the next line goes to the new file, or makes the file anew.
#pragma once

#include <cstddef>
#include <string>

#include "host/file_writer.h"

namespace bw {

class AppendFileWriter final : public FileWriter {
public:
    // Opens path for appending, creating it when missing. A path that names
    // a symbolic link appends to the file the link leads to; anything there
    // that is not a regular file (a folder, a device, a pipe) is refused.
    explicit AppendFileWriter(const std::string& path);
    ~AppendFileWriter() override;
    AppendFileWriter(const AppendFileWriter&) = delete;
    AppendFileWriter& operator=(const AppendFileWriter&) = delete;

    // Unbuffered and write-only: the writer itself keeps what waits for a
    // line end.
    FILE* Stream() const override { return m_stream; }
    // Writes out the text still waiting for its line end, then closes.
    bool Close() override;
    const std::string& Error() const override { return m_error; }

    // Takes the bytes: every line they end is written at once, each write
    // all or none; the text after the last line end waits for its end or
    // the close, unless it grows past 64 KiB, when it is written as it is. False when a write failed; what the file held before stays,
    // and later lines are still tried.
    bool Write(const void* data, size_t size);

private:
    // Opens m_path for appending as m_fd; false (m_error set) when it
    // cannot be opened or is not a regular file.
    bool OpenName();
    // The handle's file is still the one at its name.
    bool HoldsName() const;
    // Before text is taken: when the name no longer holds the handle's file,
    // what waits of a line goes where it was written, and the name is
    // opened again.
    bool FollowName();
    // The bytes in one write, all or none.
    bool WriteOut(const char* data, size_t size);
    bool Fail(const char* what, const char* reason);

    std::string m_path;
    int m_fd = -1;
    FILE* m_stream = nullptr;
    std::string m_waiting;  // the text of a line whose end has not come yet
    // The file ends in the start of a line of this handle's, written out
    // because the line grew too long to keep back.
    bool m_lineBegun = false;
    // Part of a failed write could not be taken back, or a line's start
    // lost its rest: nothing more may follow it.
    bool m_stuck = false;
    std::string m_error;
};

}  // namespace bw
